// Temporary: replaced by the real run frame.
#include <cstdlib>

#include "textio/textio.h"

namespace textio {
void start_run() {}
void stop_run(int status) { std::exit(status); }
}  // namespace textio

// Temporary: replaced by the real run frame.
#include <cstdlib>

#include "textio/textio.h"

namespace textio {
void start_run() {}
void stop_run() { std::exit(0); }
}  // namespace textio

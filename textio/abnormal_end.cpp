// The abnormal end of a run, alone in its file (see layer.h).
#include <csignal>
#include <cstdlib>

#include "textio/detail/layer.h"

namespace textio::detail {

void abnormal_end() {
  std::signal(SIGABRT, SIG_DFL);
  std::abort();
}

}  // namespace textio::detail

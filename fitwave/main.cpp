#include "textio/textio.h"

int main() {
  textio::start_run();
  textio::stop_run();
}

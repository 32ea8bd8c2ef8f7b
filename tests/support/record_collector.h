// The records a text-layer writer hands on, kept in order without their line ends.
#pragma once

#include <string>
#include <vector>

#include "textio/detail/render.h"

namespace testsupport {

struct record_collector : textio::detail::record_writer {
  std::vector<std::string> records;
  void end_record() override {
    records.push_back(record);
    record.clear();
  }
};

}  // namespace testsupport

// Between the parts of the core: the callback registry and the panel file reader.
#pragma once

#include "uir_core.h"

#include <string>

namespace uir::detail {

CtrlCallbackPtr find_ctrl_callback(const std::string &name);
PanelCallbackPtr find_panel_callback(const std::string &name);

// Reads panel `resource` of the panel file at `path` into `out`, binding its
// callbacks. On failure returns a negative UIE* status with one line in `error`
// naming the file, the line or the control, and the fault.
int read_panel_file(const std::string &path, int resource, Panel &out, std::string &error);

}  // namespace uir::detail

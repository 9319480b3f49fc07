#include "app/shell/dialogs/layout_metrics.h"

namespace shell {

constinit const int32_t g_layoutMinimum = LayoutMinSize(0);

}  // namespace shell

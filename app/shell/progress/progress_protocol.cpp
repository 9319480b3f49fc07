#include "app/shell/progress/progress_protocol.h"

namespace shell {

int32_t ProgressFractionParam(double done, double total) {
  if (!(total + 1.0 > 0.0)) return 0;  // a negative total, or NaN
  double share = done * 10000.0 / (total + 1.0);
  if (!(share > 0.0)) return 0;
  return share >= 10000.0 ? 10000 : static_cast<int32_t>(share);
}

}  // namespace shell

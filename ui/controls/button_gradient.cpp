#include "ui/controls/button_gradient.h"

namespace {

int ClampStep(int step) {
  if (step < 0) return 0;
  if (step > kGradientSteps - 1) return kGradientSteps - 1;
  return step;
}

struct Divisors {
  int redGreen;
  int blue;
};

// Each column fades red/green and blue at its own rate: 255 - step / divisor, integer division.
Divisors ColumnDivisors(bool hover, bool active) {
  if (hover) return active ? Divisors{4, 3} : Divisors{4, 5};
  return active ? Divisors{3, 4} : Divisors{3, 5};
}

}  // namespace

GradientColour GradientStepColour(bool hover, bool active, int step) {
  const int i = ClampStep(step);
  const Divisors d = ColumnDivisors(hover, active);
  const auto redGreen = static_cast<uint8_t>(255 - i / d.redGreen);
  return {redGreen, redGreen, static_cast<uint8_t>(255 - i / d.blue)};
}

int GradientStepForRow(int rowOffset, int height) {
  if (height <= 0) return 0;
  // 64-bit product: a tall area must not overflow before the division.
  const long long step = static_cast<long long>(kGradientSteps - 1) * rowOffset / height;
  return ClampStep(static_cast<int>(step));
}

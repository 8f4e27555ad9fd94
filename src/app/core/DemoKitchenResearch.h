#pragma once

#include "common/Result.h"

namespace kulvera {

struct DemoKitchen;

// The kitchen's laboratory: three research methods in the methods base (dry
// substances by drying, fat by Gerber, table salt by titration) and one
// protocol of its pilaf, measured the day before day 1, in the protocols base.
Status addDemoResearch(DemoKitchen &kitchen);

// The dish of the demo protocol.
inline constexpr char16_t kDemoProtocolDish[] = u"Плов из курицы";

} // namespace kulvera

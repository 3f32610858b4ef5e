// The form resizer's settings as Qt properties.
#include <gtest/gtest.h>

#include <Tarnwell/utility/Fresizer.h>
#include "../measure/PropertyRoundTrip.h"

using namespace Tarnwell;

TEST(ResizerProperties, EveryPropertyRoundTripsAndTheTagsResetToTheirValues) {
  TFormResizer r(nullptr);
  EXPECT_EQ(TestUtil::CheckRoundTrips(r, QObject::staticMetaObject), 11);
  r.setZNoMove(7);
  r.resetZNoMove();
  EXPECT_EQ(r.ZNoMove(), -2);
  EXPECT_TRUE(r.Active());
}

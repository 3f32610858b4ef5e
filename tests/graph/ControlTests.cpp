#include <gtest/gtest.h>
#include "GraphObj.h"
TEST(GraphData, P3) {}

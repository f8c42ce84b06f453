#include <gtest/gtest.h>

#include "host/force_list.h"

// Growth is capacity + capacity / 2, at least one more: 1, 2, 3, 4, 6 for
// five pushes. Storage is never shrunk, so a drained list refills in place.
TEST(ForceList, HandsOutNewestFirstAndRefillsWithoutGrowing) {
    Force_List list;
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(force_list_push(list, Vec3{double(i), 0, 0}));
    EXPECT_EQ(list.capacity, 6u);
    Vec3 out;
    for (int i = 5; i >= 1; --i) {
        ASSERT_TRUE(force_list_pop(list, out));
        EXPECT_EQ(out.x, double(i));
    }
    EXPECT_FALSE(force_list_pop(list, out));
    const Vec3* storage = list.data;
    for (int i = 0; i < 6; ++i) force_list_push(list, Vec3{});
    EXPECT_EQ(list.data, storage);
    EXPECT_EQ(list.capacity, 6u);
    force_list_free(list);
    EXPECT_EQ(list.data, nullptr);
}

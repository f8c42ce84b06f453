#include <gtest/gtest.h>

#include "host/force_list.h"

TEST(ForceList, HandsOutNewestFirstAndKeepsItsCapacity) {
    Force_List list;
    for (int i = 1; i <= 5; ++i) ASSERT_TRUE(force_list_push(list, Vec3{double(i), 0, 0}));
    const std::size_t capacity = list.capacity;
    Vec3 out;
    for (int i = 5; i >= 1; --i) {
        ASSERT_TRUE(force_list_pop(list, out));
        EXPECT_EQ(out.x, double(i));
    }
    EXPECT_FALSE(force_list_pop(list, out));
    EXPECT_EQ(list.capacity, capacity);  // never shrunk
    // Refilling to the same length does not reallocate.
    const Vec3* storage = list.data;
    for (int i = 0; i < 5; ++i) force_list_push(list, Vec3{});
    EXPECT_EQ(list.data, storage);
    force_list_free(list);
    EXPECT_EQ(list.data, nullptr);
}

TEST(ForceList, GrowsByHalfItsCapacity) {
    Force_List list;
    force_list_push(list, Vec3{});
    EXPECT_EQ(list.capacity, 1u);
    force_list_push(list, Vec3{});
    EXPECT_EQ(list.capacity, 2u);  // max(length + 1, 1 + 0)
    force_list_push(list, Vec3{});
    EXPECT_EQ(list.capacity, 3u);
    for (int i = 0; i < 3; ++i) force_list_push(list, Vec3{});
    EXPECT_EQ(list.capacity, 6u);  // 4 + 2
    force_list_free(list);
}

// The string ids of camera error and shot error messages.
#include <gtest/gtest.h>

#include "app/shell/program/camera_messages.h"

namespace {

TEST(CameraMessages, EachCameraErrorCodeHasItsMessage)
{
    const struct {
        int32_t code;
        uint32_t id;
    } cases[] = {
        {0, 0},         {132, 16548},  {134, 16544}, {147, 16552},
        {1, 16545},     {128, 16545},  {-123, 16545}, {148, 16545}, {-241, 16545},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.id, shell::GetCameraErrorMessageId(c.code)) << c.code;
}

TEST(CameraMessages, EachShotErrorCodeHasItsMessage)
{
    const struct {
        int32_t code;
        uint32_t id;
    } cases[] = {
        {128, 9347}, {129, 16555}, {130, 9348}, {131, 9349}, {134, 16544}, {135, 9354},
        {136, 9355}, {137, 9356},  {147, 16552}, {148, 9357}, {132, 9352},  {133, 9352},
        {0, 9352},   {-123, 9352}, {149, 9352},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.id, shell::GetShotErrorMessageId(c.code)) << c.code;
}

}  // namespace

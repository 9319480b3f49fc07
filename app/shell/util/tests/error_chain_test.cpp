#include <gtest/gtest.h>

#include "Vorlat/VorlatError.h"
#include "app/shell/util/error_chain.h"

namespace {

TEST(ErrorChain, AnyFrameMayCarryTheValue)
{
    IVorlatError* chain = nullptr;
    IVorlatError::Add(&chain, 1, 10, 0, 1006);
    IVorlatError::Add(&chain, 2, 20, 0, -236);
    IVorlatError::Add(&chain, 3, 30, "outer");
    EXPECT_TRUE(shell::ErrorChainHasValue(chain, 1006));
    EXPECT_TRUE(shell::ErrorChainHasValue(chain, -236));
    EXPECT_FALSE(shell::ErrorChainHasValue(chain, 1007));
    EXPECT_FALSE(shell::ErrorChainHasValue(nullptr, 1006));
    chain->Destroy();
}

}  // namespace

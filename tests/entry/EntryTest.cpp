#include <gtest/gtest.h>

#include <thread>

#include "platform/base/Com.h"
#include "platform/mfc/Module.h"

// The library was loaded before main: the loading thread has COM in a
// single-threaded apartment and the library is in the module chain.
TEST(Entry, LoadingThreadHasASingleThreadedApartment) {
  EXPECT_TRUE(ZelComIsInitialized());
  EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
  EXPECT_EQ(CoInitialize(NULL), S_FALSE);  // same mode again: counted
  CoUninitialize();
  EXPECT_TRUE(ZelComIsInitialized());
  EXPECT_GE(ZelExtensionChainSize(), 1);
}

TEST(Entry, OtherThreadsStartWithoutCom) {
  std::thread t([] {
    EXPECT_FALSE(ZelComIsInitialized());
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
  });
  t.join();
}

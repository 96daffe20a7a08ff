// The handler as the proxy really gets it: COM creates the registered class
// in process with the filter as outer object.
#include <gtest/gtest.h>

#include "FakeOuter.h"
#include "ZKVInterface.h"

namespace {

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(ComTest, AggregatedHandlerServesTheFiltersClients) {
    FakeOuter outer;
    HRESULT hr = CoCreateInstance(CLSID_ZKVInterfaceHandler, outer.AsUnknown(), CLSCTX_INPROC_SERVER,
                                  IID_IUnknown, reinterpret_cast<void**>(&outer.inner));
    ASSERT_EQ(hr, S_OK) << "Orvane.ax must be registered in the test prefix";
    EXPECT_EQ(outer.References(), 1);

    IZKVInterface* zkv = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&zkv)), S_OK);
    outer.answerOffset = 32;
    outer.answerValue = 0x12345678;
    ULONG serial = 0;
    EXPECT_EQ(zkv->GetRegister(0x1F20, &serial), S_OK);
    EXPECT_EQ(serial, 0x12345678u);
    ASSERT_EQ(outer.requests.size(), 1u);
    EXPECT_TRUE(IsEqualGUID(outer.requests[0].set, IID_IZKVInterface));
    EXPECT_EQ(outer.requests[0].cbData, 40u);
    zkv->Release();
    outer.ReleaseInner();
    EXPECT_EQ(outer.References(), 1);
}

TEST_F(ComTest, CreationRulesReachTheCaller) {
    FakeOuter outer;
    void* out = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ZKVInterfaceHandler, outer.AsUnknown(), CLSCTX_INPROC_SERVER,
                               IID_IZKVInterface, &out),
              E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_ZKVInterfaceHandler, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IZKVInterface, &out),
              VFW_E_NEED_OWNER);
    FakeOuter withoutPropertySet(false);
    EXPECT_EQ(CoCreateInstance(CLSID_ZKVInterfaceHandler, withoutPropertySet.AsUnknown(),
                               CLSCTX_INPROC_SERVER, IID_IUnknown, &out),
              E_OUTOFMEMORY);
    EXPECT_EQ(withoutPropertySet.References(), 1);
}

}  // namespace

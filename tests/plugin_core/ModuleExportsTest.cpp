// The module's class-object exports: which requests get a factory, the
// factory's rules, and when the module may be unloaded.
#include <gtest/gtest.h>

#include "FakeOuter.h"
#include "ModuleUnderTest.h"
#include "ZKVInterface.h"

namespace {

// {5D1C03A1-7E0B-4F55-9E1F-2B6A8C3D4E50}: in no module's table.
const CLSID kUnknownClsid = {0x5d1c03a1, 0x7e0b, 0x4f55, {0x9e, 0x1f, 0x2b, 0x6a, 0x8c, 0x3d, 0x4e, 0x50}};

class ModuleExportsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_module.Load()) << ModulePath(); }
    void TearDown() override { m_module.Unload(); }
    ModuleUnderTest m_module;
};

TEST_F(ModuleExportsTest, GetClassObjectRules) {
    void* out = reinterpret_cast<void*>(1);
    // The IID is judged before the CLSID, even for a class of the table.
    EXPECT_EQ(m_module.getClassObject(CLSID_ZKVInterfaceHandler, IID_IZKVInterface, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(m_module.getClassObject(kUnknownClsid, IID_IClassFactory2, &out), E_NOINTERFACE);
    EXPECT_EQ(m_module.getClassObject(kUnknownClsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(m_module.getClassObject(CLSID_ZKVInterfaceHandler, IID_IClassFactory, nullptr), E_POINTER);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(m_module.getClassObject(CLSID_ZKVInterfaceHandler, IID_IUnknown,
                                      reinterpret_cast<void**>(&unknown)),
              S_OK);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory2, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    factory->Release();
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

TEST_F(ModuleExportsTest, CreateInstanceRules) {
    IClassFactory* factory = m_module.Factory(CLSID_ZKVInterfaceHandler);
    ASSERT_NE(factory, nullptr);
    FakeOuter outer;
    EXPECT_EQ(factory->CreateInstance(outer.AsUnknown(), IID_IUnknown, nullptr), E_POINTER);
    // An aggregated object may only be asked for IUnknown; nothing is built.
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.AsUnknown(), IID_IZKVInterface, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(outer.References(), 1);
    factory->Release();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

TEST_F(ModuleExportsTest, CanUnloadNowFollowsFactoriesObjectsAndLocks) {
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);

    IClassFactory* factory = m_module.Factory(CLSID_ZKVInterfaceHandler);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);

    // A live handler keeps the module after its factory is gone.
    FakeOuter outer;
    ASSERT_EQ(factory->CreateInstance(outer.AsUnknown(), IID_IUnknown,
                                      reinterpret_cast<void**>(&outer.inner)),
              S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    outer.ReleaseInner();
    // ... and so does a lock, with no object left.
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);

    factory = m_module.Factory(CLSID_ZKVInterfaceHandler);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    // An unlock too many must not cancel the next client's lock.
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(m_module.canUnloadNow(), S_FALSE);
    factory = m_module.Factory(CLSID_ZKVInterfaceHandler);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

TEST_F(ModuleExportsTest, PageTitlesAreInTheStringTable) {
    WCHAR title[256];
    ASSERT_GT(LoadStringW(m_module.module, 1, title, 256), 0);
    EXPECT_STREQ(title, L"ZKV Streaming Config  Property Page");
    ASSERT_GT(LoadStringW(m_module.module, 5, title, 256), 0);
    EXPECT_STREQ(title, L"ZKV Video Proc Amp Property Page");
}

}  // namespace

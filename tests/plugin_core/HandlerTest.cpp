// The interface handler inside the built module, created through the module's
// own class factory with a recording outer object in the capture filter's
// place.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FakeOuter.h"
#include "ModuleUnderTest.h"
#include "ZKVInterface.h"

namespace {

constexpr HRESULT kDriverRefusal = static_cast<HRESULT>(0x8007001F);

std::vector<BYTE> RecordImage(size_t size, std::initializer_list<std::pair<size_t, DWORD>> fields) {
    std::vector<BYTE> image(size, 0);
    for (const auto& field : fields) {
        std::memcpy(image.data() + field.first, &field.second, sizeof(DWORD));
    }
    return image;
}

class HandlerTest : public ::testing::Test {
protected:
    // The module is loaded once for all the tests: loading it brings in and
    // initialises the window and common-control libraries, which under Wine
    // costs far more than any test here, and many times over under load.
    static void SetUpTestSuite() { s_loaded = m_module.Load(); }
    static void TearDownTestSuite() { m_module.Unload(); }

    void SetUp() override {
        ASSERT_TRUE(s_loaded) << ModulePath();
        m_factory = m_module.Factory(CLSID_ZKVInterfaceHandler);
        ASSERT_NE(m_factory, nullptr);
    }
    void TearDown() override {
        m_outer.ReleaseInner();
        if (m_factory != nullptr) {
            m_factory->Release();
        }
    }

    // Aggregates a handler into `outer`; returns its IZKVInterface through
    // the outer object, the way a client of the filter gets it.
    IZKVInterface* Aggregate(FakeOuter& outer) {
        HRESULT hr = m_factory->CreateInstance(outer.AsUnknown(), IID_IUnknown,
                                               reinterpret_cast<void**>(&outer.inner));
        EXPECT_EQ(hr, S_OK);
        if (FAILED(hr)) {
            return nullptr;
        }
        IZKVInterface* zkv = nullptr;
        hr = outer.QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&zkv));
        EXPECT_EQ(hr, S_OK);
        return zkv;
    }

    static ModuleUnderTest m_module;
    static bool s_loaded;
    IClassFactory* m_factory = nullptr;
    FakeOuter m_outer;
};

ModuleUnderTest HandlerTest::m_module;
bool HandlerTest::s_loaded = false;

void ExpectRequest(const RecordedRequest& request, bool isGet, DWORD id,
                   const std::vector<BYTE>& image) {
    EXPECT_EQ(request.isGet, isGet);
    EXPECT_TRUE(IsEqualGUID(request.set, IID_IZKVInterface));
    EXPECT_EQ(request.id, id);
    // One record serves as instance and property data, with one length.
    EXPECT_EQ(request.instance, request.data);
    EXPECT_EQ(request.cbInstance, image.size());
    EXPECT_EQ(request.cbData, image.size());
    EXPECT_EQ(request.bytes, image);
    if (isGet) {
        EXPECT_TRUE(request.hasReturnedCount);
        EXPECT_EQ(request.returnedCountOnEntry, 0u);
    }
}

TEST_F(HandlerTest, RegisterRequestsCarryAddressAndValue) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);

    m_outer.answerOffset = 32;
    m_outer.answerValue = 0x00C0FFEE;
    ULONG value = 0;
    EXPECT_EQ(zkv->GetRegister(0x1F20, &value), S_OK);
    EXPECT_EQ(value, 0x00C0FFEEu);
    ASSERT_EQ(m_outer.requests.size(), 1u);
    ExpectRequest(m_outer.requests[0], true, ZKV_PROPERTY_REGISTER, RecordImage(40, {{28, 0x1F20}}));

    m_outer.answerOffset = -1;
    EXPECT_EQ(zkv->SetRegister(0x800, 0x82000123), S_OK);
    ASSERT_EQ(m_outer.requests.size(), 2u);
    ExpectRequest(m_outer.requests[1], false, ZKV_PROPERTY_REGISTER,
                  RecordImage(40, {{28, 0x800}, {32, 0x82000123}}));
    zkv->Release();
}

TEST_F(HandlerTest, DriverFailuresPassThroughUnchanged) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);
    m_outer.result = kDriverRefusal;

    // A refused read that wrote nothing leaves 0, not stale bytes.
    ULONG value = 0xDEADBEEF;
    EXPECT_EQ(zkv->GetRegister(0x604, &value), kDriverRefusal);
    EXPECT_EQ(value, 0u);
    ULONG count = 77;
    EXPECT_EQ(zkv->GetBufferCount(&count), kDriverRefusal);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(zkv->SetRegister(0x604, 1), kDriverRefusal);
    EXPECT_EQ(zkv->SetFormat7(0, 0, 0, 640, 480, 100, 1), kDriverRefusal);
    EXPECT_EQ(zkv->SetBufferCount(4), kDriverRefusal);
    Format7Request format7 = {};
    EXPECT_EQ(zkv->GetFormat7(&format7), kDriverRefusal);

    // A driver that writes the field on failure gets it through as well.
    m_outer.answerOffset = 28;
    m_outer.answerValue = 3;
    EXPECT_EQ(zkv->GetBufferCount(&count), kDriverRefusal);
    EXPECT_EQ(count, 3u);
    // Success codes other than S_OK are not flattened.
    m_outer.result = S_FALSE;
    EXPECT_EQ(zkv->SetRegister(0x604, 1), S_FALSE);
    zkv->Release();
}

TEST_F(HandlerTest, SetFormat7TakesModeFirstAndWritesRecordOrder) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);
    EXPECT_EQ(zkv->SetFormat7(2, 8, 16, 640, 480, 100, 0x200), S_OK);
    ASSERT_EQ(m_outer.requests.size(), 1u);
    ExpectRequest(m_outer.requests[0], false, ZKV_PROPERTY_FORMAT7,
                  RecordImage(88, {{28, 8}, {32, 16}, {36, 640}, {40, 480}, {44, 2}, {48, 100},
                                   {56, 0x200}}));
    zkv->Release();
}

TEST_F(HandlerTest, GetFormat7SendsTheCallersRecordUntouched) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);
    Format7Request request;
    std::memset(&request, 0xA5, sizeof(request));
    request.mode = 3;
    std::vector<BYTE> sent(reinterpret_cast<BYTE*>(&request),
                           reinterpret_cast<BYTE*>(&request) + sizeof(request));

    m_outer.answerOffset = 72;  // maximum width
    m_outer.answerValue = 1280;
    EXPECT_EQ(zkv->GetFormat7(&request), S_OK);
    ASSERT_EQ(m_outer.requests.size(), 1u);
    ExpectRequest(m_outer.requests[0], true, ZKV_PROPERTY_FORMAT7, sent);
    EXPECT_EQ(m_outer.requests[0].data, static_cast<void*>(&request));
    EXPECT_EQ(request.maxWidth, 1280u);
    EXPECT_EQ(request.mode, 3u);
    zkv->Release();
}

TEST_F(HandlerTest, BufferCountRequests) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);

    EXPECT_EQ(zkv->SetBufferCount(0), static_cast<HRESULT>(-1));
    EXPECT_TRUE(m_outer.requests.empty());

    EXPECT_EQ(zkv->SetBufferCount(1), S_OK);
    ASSERT_EQ(m_outer.requests.size(), 1u);
    ExpectRequest(m_outer.requests[0], false, ZKV_PROPERTY_BUFFER_COUNT, RecordImage(32, {{28, 1}}));

    m_outer.answerOffset = 28;
    m_outer.answerValue = 8;
    ULONG count = 0;
    EXPECT_EQ(zkv->GetBufferCount(&count), S_OK);
    EXPECT_EQ(count, 8u);
    ASSERT_EQ(m_outer.requests.size(), 2u);
    ExpectRequest(m_outer.requests[1], true, ZKV_PROPERTY_BUFFER_COUNT, RecordImage(32, {}));
    zkv->Release();
}

TEST_F(HandlerTest, IUnknownThroughTheInterfaceReachesTheOuterObject) {
    const LONG before = m_outer.References();
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);
    // The QueryInterface that produced zkv counted on the outer object.
    EXPECT_EQ(m_outer.References(), before + 1);

    zkv->AddRef();
    EXPECT_EQ(m_outer.References(), before + 2);
    zkv->Release();
    EXPECT_EQ(m_outer.References(), before + 1);

    IKsPropertySet* propertySet = nullptr;
    ASSERT_EQ(zkv->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&propertySet)), S_OK);
    EXPECT_EQ(propertySet, static_cast<IKsPropertySet*>(&m_outer));
    propertySet->Release();

    IUnknown* unknown = nullptr;
    ASSERT_EQ(zkv->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, m_outer.AsUnknown());
    unknown->Release();
    zkv->Release();
    EXPECT_EQ(m_outer.References(), before);
}

TEST_F(HandlerTest, NonDelegatingSideAnswersForItself) {
    IZKVInterface* zkv = Aggregate(m_outer);
    ASSERT_NE(zkv, nullptr);
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(m_outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(m_outer.inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, m_outer.inner);
    EXPECT_NE(first, m_outer.AsUnknown());
    first->Release();
    second->Release();

    IZKVInterface* direct = nullptr;
    ASSERT_EQ(m_outer.inner->QueryInterface(IID_IZKVInterface, reinterpret_cast<void**>(&direct)), S_OK);
    EXPECT_EQ(direct, zkv);
    direct->Release();

    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_outer.inner->QueryInterface(IID_IKsPropertySet, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(m_outer.inner->QueryInterface(IID_IZKVInterface, nullptr), E_POINTER);
    zkv->Release();
}

TEST_F(HandlerTest, HandlerHoldsNoReferenceOnItsOuterObject) {
    const LONG before = m_outer.References();
    ASSERT_EQ(m_factory->CreateInstance(m_outer.AsUnknown(), IID_IUnknown,
                                        reinterpret_cast<void**>(&m_outer.inner)),
              S_OK);
    EXPECT_EQ(m_outer.References(), before);
    EXPECT_EQ(m_outer.inner->Release(), 0u);
    m_outer.inner = nullptr;
    EXPECT_EQ(m_outer.References(), before);
    EXPECT_TRUE(m_outer.requests.empty());
}

TEST_F(HandlerTest, CreationNeedsAnOuterObjectWithAPropertySet) {
    FakeOuter withoutPropertySet(false);
    IUnknown* inner = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(m_factory->CreateInstance(withoutPropertySet.AsUnknown(), IID_IUnknown,
                                        reinterpret_cast<void**>(&inner)),
              E_OUTOFMEMORY);
    EXPECT_EQ(inner, nullptr);
    EXPECT_EQ(withoutPropertySet.References(), 1);

    // Alone, as registration creates it, the handler refuses to exist.
    IZKVInterface* zkv = reinterpret_cast<IZKVInterface*>(1);
    EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IZKVInterface, reinterpret_cast<void**>(&zkv)),
              VFW_E_NEED_OWNER);
    EXPECT_EQ(zkv, nullptr);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(m_factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unknown)),
              VFW_E_NEED_OWNER);
    // No object survived either failure.
    m_factory->Release();
    m_factory = nullptr;
    EXPECT_EQ(m_module.canUnloadNow(), S_OK);
}

}  // namespace

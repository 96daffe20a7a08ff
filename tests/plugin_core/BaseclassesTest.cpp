// Our base layer on its own, with a class table of test classes: aggregation
// and reference counting, the object count, the class factory, the module
// entry, registry helpers, media types and the filter's enumerators.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BaseClasses.h"

namespace {

// An outer object that counts what reaches it.
class CountingOuter : public IUnknown {
public:
    LONG refs = 1;
    int queries = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
};

int g_destroyed = 0;

// A COM object with one interface of its own (IPersist).
class CTestObject : public CUnknown, public IPersist {
public:
    CTestObject(LPUNKNOWN pUnk, HRESULT* phr) : CUnknown(TEXT("Test Object"), pUnk, phr) {}
    ~CTestObject() override {
        // A destructor that hands itself out must not bring an object that
        // its last release destroys back to life.
        if (m_cRef != 0) {
            NonDelegatingAddRef();
            NonDelegatingRelease();
        }
        ++g_destroyed;
    }
    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override {
        CheckPointer(ppv, E_POINTER);
        if (IsEqualIID(riid, IID_IPersist)) {
            return GetInterface(static_cast<IPersist*>(this), ppv);
        }
        return CUnknown::NonDelegatingQueryInterface(riid, ppv);
    }
    STDMETHODIMP GetClassID(CLSID* pClassID) override {
        *pClassID = CLSID_NULL;
        return S_OK;
    }
    LONG Count() const { return m_cRef; }

    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr) {
        return new CTestObject(pUnk, phr);
    }
    static CUnknown* WINAPI CreateRefused(LPUNKNOWN pUnk, HRESULT* phr) {
        CUnknown* object = new CTestObject(pUnk, phr);
        *phr = E_ACCESSDENIED;
        return object;
    }
    static CUnknown* WINAPI CreateNothing(LPUNKNOWN, HRESULT*) { return nullptr; }
    static CUnknown* WINAPI CreateNothingWithReason(LPUNKNOWN, HRESULT* phr) {
        *phr = E_UNEXPECTED;
        return nullptr;
    }
};

int g_initCalls[2];  // [0] unloading, [1] loading
void CALLBACK RecordInit(BOOL bLoading, const CLSID*) { ++g_initCalls[bLoading ? 1 : 0]; }

// {0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0} and neighbours: test classes only.
const CLSID CLSID_Plain = {0x0f1e2d3c, 0x4b5a, 0x4978, {0x86, 0x95, 0xa4, 0xb3, 0xc2, 0xd1, 0xe0, 0xf0}};
const CLSID CLSID_Refused = {0x0f1e2d3c, 0x4b5a, 0x4978, {0x86, 0x95, 0xa4, 0xb3, 0xc2, 0xd1, 0xe0, 0xf1}};
const CLSID CLSID_Nothing = {0x0f1e2d3c, 0x4b5a, 0x4978, {0x86, 0x95, 0xa4, 0xb3, 0xc2, 0xd1, 0xe0, 0xf2}};
const CLSID CLSID_NothingWithReason = {0x0f1e2d3c, 0x4b5a, 0x4978, {0x86, 0x95, 0xa4, 0xb3, 0xc2, 0xd1, 0xe0, 0xf3}};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Plain", &CLSID_Plain, CTestObject::CreateInstance, RecordInit},
    {L"Refused", &CLSID_Refused, CTestObject::CreateRefused, nullptr},
    {L"Nothing", &CLSID_Nothing, CTestObject::CreateNothing, RecordInit},
    {L"Nothing with reason", &CLSID_NothingWithReason, CTestObject::CreateNothingWithReason, nullptr},
};
int g_cTemplates = sizeof(g_Templates) / sizeof(g_Templates[0]);

namespace {

TEST(UnknownTest, AggregatedObjectForwardsToItsOuterAndCountsItself) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    CountingOuter outer;
    HRESULT hr = S_OK;
    CTestObject* object = new CTestObject(&outer, &hr);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore + 1);
    EXPECT_EQ(object->GetOwner(), &outer);
    object->NonDelegatingAddRef();

    // An interface handed out counts on the outer object, never on the
    // inner one: IUnknown through any interface belongs to the outer object.
    IPersist* persist = nullptr;
    ASSERT_EQ(object->NonDelegatingQueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(object->Count(), 1);
    EXPECT_EQ(outer.refs, 2);
    persist->AddRef();
    EXPECT_EQ(outer.refs, 3);
    persist->Release();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, &outer);
    EXPECT_EQ(outer.queries, 1);
    unknown->Release();
    persist->Release();
    EXPECT_EQ(outer.refs, 1);
    EXPECT_EQ(object->Count(), 1);

    g_destroyed = 0;
    EXPECT_EQ(object->NonDelegatingRelease(), 0u);
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    EXPECT_EQ(outer.refs, 1);
}

TEST(UnknownTest, ObjectWithoutOuterIsItsOwnOwner) {
    HRESULT hr = S_OK;
    CTestObject* object = new CTestObject(nullptr, &hr);
    IPersist* persist = nullptr;
    ASSERT_EQ(object->NonDelegatingQueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
    ASSERT_EQ(object->NonDelegatingQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(object->Count(), 3);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(first->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(first->QueryInterface(IID_IPersist, nullptr), E_POINTER);
    g_destroyed = 0;
    first->Release();
    second->Release();
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
}

class FactoryTest : public ::testing::Test {
protected:
    IClassFactory* Factory(REFCLSID clsid) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }
};

TEST_F(FactoryTest, ConstructionFailuresDestroyTheObjectAndReachTheCaller) {
    ASSERT_EQ(DllCanUnloadNow(), S_OK);
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    struct Case {
        const CLSID* clsid;
        HRESULT expected;
    } cases[] = {
        {&CLSID_Refused, E_ACCESSDENIED},
        {&CLSID_Nothing, E_OUTOFMEMORY},
        {&CLSID_NothingWithReason, E_UNEXPECTED},
    };
    for (const Case& c : cases) {
        IClassFactory* factory = Factory(*c.clsid);
        ASSERT_NE(factory, nullptr);
        g_destroyed = 0;
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &out), c.expected);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(g_destroyed, IsEqualCLSID(*c.clsid, CLSID_Refused) ? 1 : 0);
        EXPECT_EQ(factory->Release(), 0u);
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(FactoryTest, ObjectWithoutTheRequestedInterfaceDestroysItself) {
    IClassFactory* factory = Factory(CLSID_Plain);
    ASSERT_NE(factory, nullptr);
    g_destroyed = 0;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_destroyed, 1);

    IPersist* persist = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(FactoryTest, AggregationAsksOnlyForIUnknown) {
    IClassFactory* factory = Factory(CLSID_Plain);
    ASSERT_NE(factory, nullptr);
    CountingOuter outer;
    g_destroyed = 0;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_destroyed, 0);  // nothing was built

    IUnknown* inner = nullptr;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    EXPECT_NE(inner, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.refs, 1);
    EXPECT_EQ(inner->Release(), 0u);
    factory->Release();
}

TEST(ModuleEntryTest, InitRoutinesRunAtAttachAndDetach) {
    g_initCalls[0] = g_initCalls[1] = 0;
    EXPECT_TRUE(DllEntryPoint(GetModuleHandle(nullptr), DLL_PROCESS_ATTACH, nullptr));
    EXPECT_EQ(g_initCalls[1], 2);
    EXPECT_EQ(g_initCalls[0], 0);
    EXPECT_EQ(g_hInst, GetModuleHandle(nullptr));
    EXPECT_TRUE(DllEntryPoint(GetModuleHandle(nullptr), DLL_PROCESS_DETACH, nullptr));
    EXPECT_EQ(g_initCalls[0], 2);
}

// Registry helpers, on a test class and a scratch tree of the current user.
class RegistryTest : public ::testing::Test {
protected:
    static bool Exists(HKEY root, const std::string& key) {
        HKEY hk = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(hk);
        return true;
    }
    static std::string Value(const std::string& key, const char* name) {
        char data[MAX_PATH] = {};
        LONG cb = sizeof(data);
        if (name == nullptr) {
            if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), data, &cb) != ERROR_SUCCESS) {
                return "<none>";
            }
            return data;
        }
        HKEY hk = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &hk) != ERROR_SUCCESS) {
            return "<none>";
        }
        DWORD cbData = sizeof(data);
        const LONG rc = RegQueryValueExA(hk, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &cbData);
        RegCloseKey(hk);
        return rc == ERROR_SUCCESS ? data : "<none>";
    }
    static void Create(HKEY root, const std::string& key) {
        HKEY hk = nullptr;
        ASSERT_EQ(RegCreateKeyA(root, key.c_str(), &hk), ERROR_SUCCESS) << key;
        RegCloseKey(hk);
    }
};

TEST_F(RegistryTest, ClassKeyIsWrittenAndRemovedWithEverythingBelow) {
    const std::string key = "CLSID\\{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F0}";
    ASSERT_EQ(AMovieSetupRegisterServer(CLSID_Plain, L"Plain Test Class", L"C:\\some\\where.ax"), S_OK);
    EXPECT_EQ(Value(key, nullptr), "Plain Test Class");
    EXPECT_EQ(Value(key + "\\InprocServer32", nullptr), "C:\\some\\where.ax");
    EXPECT_EQ(Value(key + "\\InprocServer32", "ThreadingModel"), "Both");

    Create(HKEY_CLASSES_ROOT, key + "\\InprocServer32\\a\\b\\c");
    Create(HKEY_CLASSES_ROOT, key + "\\InprocServer32\\a\\b2");
    Create(HKEY_CLASSES_ROOT, key + "\\Other");
    EXPECT_EQ(AMovieSetupUnregisterServer(CLSID_Plain), S_OK);
    EXPECT_FALSE(Exists(HKEY_CLASSES_ROOT, key));
    EXPECT_EQ(AMovieSetupUnregisterServer(CLSID_Plain), S_OK);
}

TEST_F(RegistryTest, EliminateSubKeyTakesWholeTreesButNeverItsParent) {
    // The current user's tree is shared by 32-bit and 64-bit runs.
    const std::string root = "Software\\ZkvBaseLayerTest" + std::to_string(sizeof(void*) * 8);
    for (int i = 0; i < 5; ++i) {
        Create(HKEY_CURRENT_USER, root + "\\Tree\\k" + std::to_string(i) + "\\x\\y");
    }
    Create(HKEY_CURRENT_USER, root + "\\Sibling");
    HKEY hk = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, root.c_str(), 0, KEY_ALL_ACCESS, &hk), ERROR_SUCCESS);
    EXPECT_EQ(EliminateSubKey(hk, ""), E_INVALIDARG);
    EXPECT_EQ(EliminateSubKey(hk, nullptr), E_INVALIDARG);
    EXPECT_EQ(EliminateSubKey(hk, "Tree"), S_OK);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, root + "\\Tree"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, root + "\\Sibling"));
    EXPECT_EQ(EliminateSubKey(hk, "Tree"), S_OK);
    RegCloseKey(hk);
    EXPECT_EQ(EliminateSubKey(HKEY_CURRENT_USER, root.c_str()), S_OK);
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, root));
}

// A format object that counts its references.
class CountingUnknown : public CountingOuter {};

// Watches task memory: records every block freed and, while failAllocs is
// set, makes every allocation fail.
class MallocSpy : public IMallocSpy {
public:
    bool failAllocs = false;
    std::vector<void*> freed;
    bool Freed(void* p) const { return std::find(freed.begin(), freed.end(), p) != freed.end(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMallocSpy)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T cb) override { return failAllocs ? 0 : cb; }
    STDMETHODIMP_(void*) PostAlloc(void* p) override { return p; }
    STDMETHODIMP_(void*) PreFree(void* p, BOOL) override {
        if (p != nullptr) freed.push_back(p);
        return p;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T cb, void** ppNew, BOOL) override {
        *ppNew = p;
        return cb;
    }
    STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}
};

TEST(MediaTypeTest, FreeReleasesFormatAndObjectAndCopiesAreDeep) {
    CountingUnknown formatObject;
    AM_MEDIA_TYPE source = {};
    source.majortype = MEDIATYPE_Video;
    source.cbFormat = 16;
    source.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(16));
    ASSERT_NE(source.pbFormat, nullptr);
    for (BYTE i = 0; i < 16; ++i) {
        source.pbFormat[i] = i;
    }
    source.pUnk = &formatObject;
    formatObject.AddRef();

    AM_MEDIA_TYPE* copy = CreateMediaType(&source);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->pbFormat, source.pbFormat);
    EXPECT_EQ(copy->cbFormat, 16u);
    EXPECT_EQ(memcmp(copy->pbFormat, source.pbFormat, 16), 0);
    EXPECT_TRUE(IsEqualGUID(copy->majortype, MEDIATYPE_Video));
    EXPECT_EQ(formatObject.refs, 3);

    DeleteMediaType(copy);
    EXPECT_EQ(formatObject.refs, 2);
    FreeMediaType(source);
    EXPECT_EQ(formatObject.refs, 1);
    EXPECT_EQ(source.pbFormat, nullptr);
    EXPECT_EQ(source.cbFormat, 0u);
    EXPECT_EQ(source.pUnk, nullptr);
    DeleteMediaType(nullptr);
}

// Copies of sources with and without size, block and format object, and a
// copy that runs out of memory: the copy never shares or half-owns anything,
// and freeing copy and source gives back every block and reference.
TEST(MediaTypeTest, CopiesAndFreesKeepBlocksAndReferencesBalanced) {
    struct Case {
        const char* name;
        ULONG cbFormat;
        bool block;
        bool formatObject;
        bool outOfMemory;
        HRESULT hr;
        ULONG copySize;  // 0: the copy has no block
        LONG copyRefs;   // references the copy holds on the format object
    };
    const Case cases[] = {
        {"size and block", 16, true, true, false, S_OK, 16, 1},
        {"size without block", 16, false, true, false, S_OK, 0, 1},
        {"block without size", 0, true, false, false, S_OK, 0, 0},
        {"out of memory", 16, true, true, true, E_OUTOFMEMORY, 0, 0},
    };
    static MallocSpy spy;
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingUnknown formatObject;
        AM_MEDIA_TYPE source = {};
        source.majortype = MEDIATYPE_Video;
        source.cbFormat = c.cbFormat;
        BYTE* block = nullptr;
        if (c.block) {
            block = static_cast<BYTE*>(CoTaskMemAlloc(16));
            ASSERT_NE(block, nullptr);
            for (BYTE i = 0; i < 16; ++i) block[i] = i;
        }
        source.pbFormat = block;
        source.pUnk = c.formatObject ? &formatObject : nullptr;

        AM_MEDIA_TYPE copy;
        spy.failAllocs = c.outOfMemory;
        EXPECT_EQ(CopyMediaType(&copy, &source), c.hr);
        spy.failAllocs = false;
        EXPECT_TRUE(IsEqualGUID(copy.majortype, MEDIATYPE_Video));
        EXPECT_EQ(copy.cbFormat, c.copySize);
        EXPECT_EQ(copy.pbFormat != nullptr, c.copySize != 0);
        EXPECT_TRUE(block == nullptr || copy.pbFormat != block);
        if (c.copySize != 0) {
            EXPECT_EQ(memcmp(copy.pbFormat, block, c.copySize), 0);
        }
        EXPECT_EQ(copy.pUnk != nullptr, c.copyRefs != 0);
        EXPECT_EQ(formatObject.refs, 1 + c.copyRefs);

        BYTE* copyBlock = copy.pbFormat;
        FreeMediaType(copy);
        EXPECT_EQ(formatObject.refs, 1);
        EXPECT_TRUE(copyBlock == nullptr || spy.Freed(copyBlock));
        if (c.formatObject) formatObject.AddRef();  // the source's own reference
        FreeMediaType(source);
        EXPECT_EQ(formatObject.refs, 1);
        EXPECT_TRUE(block == nullptr || spy.Freed(block));
        EXPECT_EQ(source.pbFormat, nullptr);
        EXPECT_EQ(source.cbFormat, 0u);
        EXPECT_EQ(source.pUnk, nullptr);
    }
    spy.failAllocs = true;
    AM_MEDIA_TYPE empty = {};
    EXPECT_EQ(CreateMediaType(&empty), nullptr);
    spy.failAllocs = false;
    EXPECT_EQ(CoRevokeMallocSpy(), S_OK);
    DeleteMediaType(nullptr);
}

// A filter of three output pins, each with three media types whose subtype's
// first field is the position; enough for the enumerators' rules.
constexpr int kItems = 3;

class CTestPin : public CBaseOutputPin {
public:
    CTestPin(CBaseFilter* pFilter, CCritSec* pLock, LPCWSTR pName)
        : CBaseOutputPin(TEXT("Test Pin"), pFilter, pLock, nullptr, pName) {}
    HRESULT CheckMediaType(const AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT GetMediaType(int iPosition, AM_MEDIA_TYPE* pmt) override {
        if (iPosition < 0) return E_INVALIDARG;
        if (iPosition >= kItems) return VFW_S_NO_MORE_ITEMS;
        pmt->majortype = MEDIATYPE_Video;
        pmt->subtype.Data1 = static_cast<unsigned long>(iPosition);
        pmt->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(4));
        pmt->cbFormat = pmt->pbFormat != nullptr ? 4 : 0;
        return pmt->pbFormat != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT DecideAllocator(IMemInputPin*, IMemAllocator**) override { return E_NOTIMPL; }
};

class CTestFilter : public CBaseFilter {
public:
    CTestFilter()
        : CBaseFilter(TEXT("Test Filter"), nullptr, &m_lock, CLSID_Plain),
          m_pins{{this, &m_lock, L"0"}, {this, &m_lock, L"1"}, {this, &m_lock, L"2"}} {}
    int GetPinCount() override { return kItems; }
    CBasePin* GetPin(int n) override { return n >= 0 && n < kItems ? &m_pins[n] : nullptr; }
    LONG Count() const { return m_cRef; }

private:
    CCritSec m_lock;
    CTestPin m_pins[kItems];
};

// Which item an enumerated element is, and its release.
int ItemOf(CTestFilter& filter, IPin* pPin) {
    for (int i = 0; i < kItems; ++i) {
        if (static_cast<IPin*>(filter.GetPin(i)) == pPin) return i;
    }
    return -1;
}
int ItemOf(CTestFilter&, AM_MEDIA_TYPE* pmt) { return static_cast<int>(pmt->subtype.Data1); }
void ReleaseItem(IPin* pPin) { pPin->Release(); }
void ReleaseItem(AM_MEDIA_TYPE* pmt) { DeleteMediaType(pmt); }

// One call on an enumerator: Next (with or without the fetched count or the
// array), Skip or Reset, and what it must give.
struct EnumStep {
    enum Op { kNext, kNextNoCount, kNextNoArray, kSkip, kReset } op;
    ULONG count;
    HRESULT hr;
    std::vector<int> items;  // what Next hands out
};

const EnumStep kEnumSteps[] = {
    {EnumStep::kNextNoCount, 1, S_OK, {0}},
    {EnumStep::kNext, 0, S_OK, {}},
    {EnumStep::kNext, 2, S_OK, {1, 2}},
    {EnumStep::kNext, 1, S_FALSE, {}},
    {EnumStep::kReset, 0, S_OK, {}},
    {EnumStep::kSkip, 2, S_OK, {}},
    {EnumStep::kNext, 2, S_FALSE, {2}},
    {EnumStep::kReset, 0, S_OK, {}},
    {EnumStep::kSkip, kItems + 1, S_FALSE, {}},
    {EnumStep::kNext, 1, S_FALSE, {}},
    {EnumStep::kReset, 0, S_OK, {}},
    {EnumStep::kNextNoCount, 2, E_INVALIDARG, {}},
    {EnumStep::kNextNoArray, 1, E_POINTER, {}},
    {EnumStep::kNext, kItems, S_OK, {0, 1, 2}},
};

template <class Enum, class Item>
void RunEnumSteps(CTestFilter& filter, Enum* pEnum) {
    for (size_t s = 0; s < sizeof(kEnumSteps) / sizeof(kEnumSteps[0]); ++s) {
        const EnumStep& step = kEnumSteps[s];
        SCOPED_TRACE(s);
        Item items[kItems + 1] = {};
        ULONG fetched = 99;
        HRESULT hr = S_OK;
        switch (step.op) {
        case EnumStep::kNext: hr = pEnum->Next(step.count, items, &fetched); break;
        case EnumStep::kNextNoCount:
            hr = pEnum->Next(step.count, items, nullptr);
            fetched = hr == S_OK ? step.count : 0;
            break;
        case EnumStep::kNextNoArray: hr = pEnum->Next(step.count, nullptr, &fetched); break;
        case EnumStep::kSkip: hr = pEnum->Skip(step.count); break;
        case EnumStep::kReset: hr = pEnum->Reset(); break;
        }
        EXPECT_EQ(hr, step.hr);
        if (step.op != EnumStep::kNext && step.op != EnumStep::kNextNoCount) continue;
        std::vector<int> got;
        for (ULONG i = 0; i < fetched && i < kItems; ++i) {
            got.push_back(ItemOf(filter, items[i]));
            ReleaseItem(items[i]);
        }
        EXPECT_EQ(got, step.items);
    }
}

// A clone starts where its original stands and moves on its own; both keep
// the filter alive and give it back when released.
template <class Enum, class Item>
void CheckClone(CTestFilter& filter, Enum* pEnum) {
    ASSERT_EQ(pEnum->Reset(), S_OK);
    ASSERT_EQ(pEnum->Skip(1), S_OK);
    Enum* pClone = nullptr;
    ASSERT_EQ(pEnum->Clone(&pClone), S_OK);
    EXPECT_EQ(pEnum->Clone(nullptr), E_POINTER);
    Item item = {};
    ASSERT_EQ(pClone->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(ItemOf(filter, item), 1);
    ReleaseItem(item);
    ASSERT_EQ(pClone->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(ItemOf(filter, item), 2);
    ReleaseItem(item);
    ASSERT_EQ(pEnum->Next(1, &item, nullptr), S_OK);
    EXPECT_EQ(ItemOf(filter, item), 1);
    ReleaseItem(item);
    EXPECT_EQ(pClone->Release(), 0u);
}

TEST(EnumeratorTest, PinsAndMediaTypesFollowTheEnumerationRules) {
    const LONG objectsBefore = CBaseObject::ObjectsActive();
    CTestFilter* filter = new CTestFilter();
    filter->NonDelegatingAddRef();
    {
        IEnumPins* pins = nullptr;
        ASSERT_EQ(filter->EnumPins(&pins), S_OK);
        RunEnumSteps<IEnumPins, IPin*>(*filter, pins);
        CheckClone<IEnumPins, IPin*>(*filter, pins);
        EXPECT_EQ(pins->Release(), 0u);
    }
    {
        IEnumMediaTypes* types = nullptr;
        ASSERT_EQ(filter->GetPin(0)->EnumMediaTypes(&types), S_OK);
        RunEnumSteps<IEnumMediaTypes, AM_MEDIA_TYPE*>(*filter, types);
        CheckClone<IEnumMediaTypes, AM_MEDIA_TYPE*>(*filter, types);
        EXPECT_EQ(types->Release(), 0u);
    }
    IPin* found = nullptr;
    EXPECT_EQ(filter->FindPin(L"2", &found), S_OK);
    EXPECT_EQ(found, static_cast<IPin*>(filter->GetPin(2)));
    found->Release();
    EXPECT_EQ(filter->FindPin(L"Capture", &found), VFW_E_NOT_FOUND);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(filter->Count(), 1);
    EXPECT_EQ(filter->NonDelegatingRelease(), 0u);
    EXPECT_EQ(CBaseObject::ObjectsActive(), objectsBefore);
}

}  // namespace

// Enumeration through the management service over a made-up machine.
#include <gtest/gtest.h>

#include <thread>

#include "ZELLogicalDisk.h"
#include "platform/wmi/DiskSystem.h"
#include "platform/oleaut/BstrT.h"
#include "platform/wmi/Wbem.h"
#include "support/FakeDiskTree.h"

using zeltest::FakeDiskTree;

namespace {

const uint64_t GB = 1ull << 30;

class Enumerate : public ::testing::Test {
protected:
  void SetUp() override {
    tree = std::make_shared<FakeDiskTree>(dir);
    tree->AddBlock({"vda", "254:0", 20 * GB / 512});
    tree->AddMount("254:0 / / rw - ext4 /dev/vda rw");
    tree->space["/"] = {20 * GB, 5 * GB};
    ZelWmiSetDiskSystem(tree);
  }
  void TearDown() override { ZelWmiSetDiskSystem(nullptr); }

  void AddSticks() {
    tree->AddBlock({"sdb", "8:16", 0, "", true});  // empty card slot
    tree->AddBlock({"sdc", "8:32", 16 * GB / 512, "", true});
    tree->AddBlock({"sdc1", "8:33", 16 * GB / 512, "sdc"});
    tree->AddMount("8:33 / /media/big rw - exfat /dev/sdc1 rw");
    // 12,345,678,901 bytes: eleven digits, beyond 32 bits.
    tree->space["/media/big"] = {12345678901ull, 9876543210ull};
  }

  zeltest::TempDir dir;
  std::shared_ptr<FakeDiskTree> tree;
  ZELLogicalDisk disk;
};

TEST_F(Enumerate, NoRemovableDisksAnswersZeroAndLeavesTheListEmpty) {
  EXPECT_EQ(disk.EnumerateLogicalDisk(), 1);
  EXPECT_EQ(disk.EnumerateRemovalDisk(), 0);
  EXPECT_EQ(disk.GetCount(), 0);  // the second enumeration replaced the first
}

TEST_F(Enumerate, RecordsCarryTheServiceValues) {
  AddSticks();
  ASSERT_EQ(disk.EnumerateLogicalDisk(), 3);
  __ZEL_PHYSICAL_DISK c{}, slot{}, big{};
  ASSERT_TRUE(disk.GetDriveInfo(0, c));
  ASSERT_TRUE(disk.GetDriveInfo(1, slot));
  ASSERT_TRUE(disk.GetDriveInfo(2, big));
  EXPECT_TRUE(c.strName == L"C:");
  EXPECT_EQ(c.nDriveType, 3);
  EXPECT_EQ(c.nMediaType, 12);
  EXPECT_TRUE(c.strFileSystem == L"ext4");
  EXPECT_EQ(c.nSize, static_cast<LONGLONG>(20 * GB));

  EXPECT_TRUE(slot.strName == L"D:");
  EXPECT_EQ(slot.nDriveType, 2);
  EXPECT_TRUE(slot.strFileSystem.IsEmpty());
  EXPECT_EQ(slot.nSize, 0);
  EXPECT_EQ(slot.nFreeSpace, 0);

  EXPECT_TRUE(big.strFileSystem == L"exFAT");
  EXPECT_EQ(big.nSize, 12345678901LL);
  EXPECT_EQ(big.nFreeSpace, 9876543210LL);

  EXPECT_EQ(disk.EnumerateRemovalDisk(), 2);
}

TEST_F(Enumerate, GetDriveInfoOutOfRangeLeavesTheRecordAlone) {
  disk.EnumerateLogicalDisk();
  __ZEL_PHYSICAL_DISK info{};
  info.nDriveType = 77;
  info.strName = L"keep";
  EXPECT_FALSE(disk.GetDriveInfo(-1, info));
  EXPECT_FALSE(disk.GetDriveInfo(disk.GetCount(), info));
  EXPECT_EQ(info.nDriveType, 77);
  EXPECT_TRUE(info.strName == L"keep");
}

TEST_F(Enumerate, SingleThreadedApartmentAnswersZero) {
  int count = -1;
  std::thread t([&] {
    CoInitialize(NULL);
    count = disk.EnumerateLogicalDisk();
    CoUninitialize();
  });
  t.join();
  EXPECT_EQ(count, 0);
  // A multithreaded caller, or one with no COM at all, is served, and
  // again after COM stayed initialised in between.
  std::thread m([&] {
    CoInitializeEx(NULL, COINIT_MULTITHREADED);
    count = disk.EnumerateLogicalDisk() + disk.EnumerateLogicalDisk();
    CoUninitialize();
  });
  m.join();
  EXPECT_EQ(count, 2);
}

// A service object whose MediaType the test chooses, for the filter of the
// removable-only listing.
class StubDisk : public IWbemClassObject {
public:
  explicit StubDisk(VARIANT media) : m_media(media) {}
  HRESULT Get(LPCWSTR name, long, VARIANT* v, CIMTYPE*, long*) override {
    VariantInit(v);
    std::wstring n(name);
    if (n == L"Name") { v->vt = VT_BSTR; v->bstrVal = SysAllocString(L"E:"); }
    else if (n == L"DriveType") { v->vt = VT_I4; v->lVal = 2; }
    else if (n == L"MediaType") *v = m_media;
    else if (n == L"Size") { v->vt = VT_BSTR; v->bstrVal = SysAllocString(L"12x"); }
    else v->vt = VT_NULL;
    return S_OK;
  }
  VARIANT m_media;
};

class Probe : public ZELLogicalDisk {
public:
  using ZELLogicalDisk::GetDriveInfo;
};

TEST(DriveInfo, MediaTypeFilterAndNullMedia) {
  Probe p;
  __ZEL_PHYSICAL_DISK info{};
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_NULL;
  StubDisk nullMedia(v);
  EXPECT_TRUE(p.GetDriveInfo(&nullMedia, info, 1));
  EXPECT_EQ(info.nMediaType, 0);
  EXPECT_EQ(info.nSize, 0);  // "12x" is not a whole number
  v.vt = VT_I4;
  v.lVal = 12;
  StubDisk fixedMedia(v);
  EXPECT_FALSE(p.GetDriveInfo(&fixedMedia, info, 1));
  EXPECT_TRUE(p.GetDriveInfo(&fixedMedia, info, 0));
  EXPECT_EQ(info.nMediaType, 12);
}

TEST(Service, RefusesOtherNamespacesQueriesAndClasses) {
  ASSERT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK);
  {
    IWbemLocatorPtr loc;
    ASSERT_EQ(loc.CreateInstance(CLSID_WbemLocator), S_OK);
    IWbemServices* svc = NULL;
    _bstr_t other(L"ROOT\\DEFAULT"), cimv2(L"\\\\.\\root\\cimv2");
    EXPECT_EQ(loc->ConnectServer(other, NULL, NULL, NULL, 0, NULL, NULL, &svc), WBEM_E_INVALID_NAMESPACE);
    ASSERT_EQ(loc->ConnectServer(cimv2, NULL, NULL, NULL, 0, NULL, NULL, &svc), S_OK);
    IWbemServicesPtr services(svc, false);
    IEnumWbemClassObject* e = NULL;
    EXPECT_EQ(services->ExecQuery(_bstr_t(L"SQL"), _bstr_t(L"select * from Win32_LogicalDisk"), 0, NULL, &e),
              WBEM_E_INVALID_QUERY_TYPE);
    EXPECT_EQ(services->ExecQuery(_bstr_t(L"WQL"), _bstr_t(L"select * from Win32_Process"), 0, NULL, &e),
              WBEM_E_INVALID_CLASS);
    EXPECT_EQ(services->ExecQuery(_bstr_t(L"WQL"), _bstr_t(L"select Name from"), 0, NULL, &e), WBEM_E_INVALID_QUERY);
    EXPECT_EQ(services->ExecQuery(_bstr_t(L"wql"), _bstr_t(L"  SELECT *\tFROM win32_logicaldisk "), 0, NULL, &e),
              S_OK);
    IEnumWbemClassObjectPtr en(e, false);
    IWbemClassObject* obj[2] = {};
    ULONG n = 0;
    EXPECT_EQ(en->Next(-1, 0, obj, &n), WBEM_E_INVALID_PARAMETER);
    while (en->Next(-1, 1, obj, &n) == S_OK) {
      VARIANT v;
      EXPECT_EQ(obj[0]->Get(L"NoSuchProperty", 0, &v, NULL, NULL), WBEM_E_NOT_FOUND);
      obj[0]->Release();
    }
    EXPECT_EQ(n, 0u);
  }
  CoUninitialize();
}

}  // namespace

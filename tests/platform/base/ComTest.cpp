#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/base/Com.h"

namespace {

// A small interface family with a creator, as a stand-in would define it.
std::atomic<int> g_live{0};
struct IShape : IUnknown {
  IShape() { ++g_live; }
  ~IShape() override { --g_live; }
  virtual int Sides() const = 0;
};
struct ISquare : IShape {
  int Sides() const override { return 4; }
};
struct ITriangle : IShape {
  int Sides() const override { return 3; }
};
_COM_SMARTPTR_TYPEDEF(IShape, __uuidof(IShape));
_COM_SMARTPTR_TYPEDEF(ISquare, __uuidof(ISquare));

const CLSID CLSID_Square = {0x1234, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
const CLSID CLSID_Unknown = {0x9999, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};

HRESULT ZelCreateObject(const CLSID& clsid, IShape** ppOut) {
  if (clsid != CLSID_Square) return REGDB_E_CLASSNOTREG;
  *ppOut = new ISquare;
  (*ppOut)->AddRef();
  return S_OK;
}

template <class Fn>
void OnNewThread(Fn fn) {
  std::thread(fn).join();
}

}  // namespace

// Every member of the handle compiles, used or not by the tests below.
template class _com_ptr_t<IShape>;

TEST(Apartment, CountsAndRefusesTheOtherMode) {
  OnNewThread([] {
    EXPECT_FALSE(ZelComIsInitialized());
    EXPECT_EQ(CoInitialize(NULL), S_OK);
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    EXPECT_TRUE(ZelComIsInitialized());  // one initialisation still stands
    CoUninitialize();
    EXPECT_FALSE(ZelComIsInitialized());
    CoUninitialize();  // unbalanced: ignored
    // Once left, the thread may choose again.
    EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitialize(NULL), RPC_E_CHANGED_MODE);
    CoUninitialize();
  });
}

TEST(Apartment, IsPerThread) {
  OnNewThread([] {
    ASSERT_EQ(CoInitialize(NULL), S_OK);
    OnNewThread([] {
      EXPECT_FALSE(ZelComIsInitialized());
      EXPECT_EQ(CoInitializeEx(NULL, COINIT_MULTITHREADED), S_OK);
      CoUninitialize();
    });
    CoUninitialize();
  });
}

TEST(ComPtr, CountsReferencesThroughCopiesMovesAndAssignments) {
  {
    IShapePtr a(new ISquare);
    EXPECT_EQ(g_live, 1);
    IShapePtr b = a;
    IShapePtr c(std::move(b));
    EXPECT_TRUE(b == NULL);
    EXPECT_TRUE(c == a);
    IShapePtr& alias = c;
    c = alias;  // self-assignment keeps the object
    a = NULL;
    IShapePtr d;
    d = std::move(c);  // move-assign hands the reference over
    c = std::move(d);
    EXPECT_TRUE(d == nullptr);
    EXPECT_EQ(g_live, 1);
    EXPECT_EQ(c->Sides(), 4);
    c = nullptr;
    EXPECT_EQ(g_live, 0);
  }
  {
    ISquare* raw = new ISquare;
    raw->AddRef();
    ISquarePtr owner(raw, false);  // takes the reference it is given
    IShapePtr base = owner;        // converts to the base interface
    EXPECT_TRUE(base == owner);
    ISquare* detached = owner.Detach();
    EXPECT_TRUE(!owner);
    EXPECT_EQ(detached->Release(), 1u);  // base still holds one
    _com_ptr_t<ITriangle> tri = base;    // not a triangle
    EXPECT_TRUE(tri == NULL);
    ISquare* sq = nullptr;
    EXPECT_EQ(base.QueryInterface(GUID_NULL, sq), S_OK);
    ITriangle* tr = nullptr;
    EXPECT_EQ(base.QueryInterface(GUID_NULL, tr), E_NOINTERFACE);
    owner = base;  // assigned across interfaces
    EXPECT_EQ(owner.GetInterfacePtr(), sq);
    sq->Release();
    EXPECT_TRUE(base != NULL);
  }
  EXPECT_EQ(g_live, 0);
}

TEST(ComPtr, AddressOfReleasesForAnOutParameter) {
  IShapePtr p(new ISquare);
  IShape** slot = &p;
  EXPECT_EQ(g_live, 0);
  ASSERT_EQ(ZelCreateObject(CLSID_Square, slot), S_OK);
  EXPECT_TRUE(p);
  p.Release();
  EXPECT_EQ(g_live, 0);
}

TEST(ComPtr, CreateInstanceNeedsAnApartmentAndAKnownClass) {
  OnNewThread([] {
    IShapePtr p;
    EXPECT_EQ(p.CreateInstance(CLSID_Square), CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitialize(NULL), S_OK);
    EXPECT_EQ(p.CreateInstance(CLSID_Unknown), REGDB_E_CLASSNOTREG);
    EXPECT_TRUE(p == NULL);
    IShapePtr outer(new ISquare);
    EXPECT_EQ(p.CreateInstance(CLSID_Square, outer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p.CreateInstance(CLSID_Square), S_OK);
    EXPECT_EQ(p->Sides(), 4);
    IShape* q = NULL;
    EXPECT_EQ(CoCreateInstance(CLSID_Square, NULL, CLSCTX_INPROC_SERVER, GUID_NULL, &q), S_OK);
    ASSERT_NE(q, nullptr);
    q->Release();
    CoUninitialize();
  });
  EXPECT_EQ(g_live, 0);
}

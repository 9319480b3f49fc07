#pragma once
// Run-time class information: a name, a size, a base and an optional factory,
// enough for document/frame/view templates and for IsKindOf tests.

class CObject;

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  CRuntimeClass* m_pBaseClass;
  CObject* (*m_pfnCreateObject)();  // null when the class is not DYNCREATE

  CObject* CreateObject() const;    // null when there is no factory
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* cls) const;

  static CRuntimeClass classCObject;
};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)

#define DECLARE_DYNAMIC(theClass)               \
public:                                         \
  static CRuntimeClass class##theClass;         \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass) \
  DECLARE_DYNAMIC(theClass)         \
  static CObject* CreateObject();

#define CLX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, factory)                              \
  CRuntimeClass theClass::class##theClass{#theClass, static_cast<int>(sizeof(theClass)),      \
                                          RUNTIME_CLASS(baseClass), factory};                 \
  CRuntimeClass* theClass::GetRuntimeClass() const { return &theClass::class##theClass; }

#define IMPLEMENT_DYNAMIC(theClass, baseClass) CLX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass)               \
  CObject* theClass::CreateObject() { return new theClass; }   \
  CLX_IMPLEMENT_RUNTIMECLASS(theClass, baseClass, &theClass::CreateObject)

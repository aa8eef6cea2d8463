// Run-time class records: a class made by name (dynamic creation).
#pragma once

class CObject {
 public:
  virtual ~CObject() = default;
};

struct CRuntimeClass {
  const char* m_lpszClassName;
  CObject* (*m_pfnCreateObject)();

  // A new object of the class; null when the class cannot be made by name.
  CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
  // The record of a class declared dynamically creatable; null for others.
  static const CRuntimeClass* FromName(const char* className);
};

// Files the record so FromName finds it (done by IMPLEMENT_DYNCREATE).
struct AfxClassInit {
  explicit AfxClassInit(const CRuntimeClass* runtimeClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::classRecord)

#define DECLARE_DYNCREATE(class_name)     \
 public:                                  \
  static const CRuntimeClass classRecord; \
  static CObject* CreateObject();

#define IMPLEMENT_DYNCREATE(class_name)                                                   \
  CObject* class_name::CreateObject() { return new class_name; }                          \
  const CRuntimeClass class_name::classRecord = {#class_name, &class_name::CreateObject}; \
  static const AfxClassInit class_name##Init(&class_name::classRecord);

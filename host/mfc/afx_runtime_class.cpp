#include "host/mfc/afx_runtime_class.h"

#include <cstring>
#include <vector>

namespace {

std::vector<const CRuntimeClass*>& Classes() {
  static std::vector<const CRuntimeClass*> classes;
  return classes;
}

}  // namespace

AfxClassInit::AfxClassInit(const CRuntimeClass* runtimeClass) { Classes().push_back(runtimeClass); }

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
  for (const CRuntimeClass* known : Classes()) {
    if (std::strcmp(known->m_lpszClassName, className) == 0) return known;
  }
  return nullptr;
}

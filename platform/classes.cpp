#include "classes.h"

#include <algorithm>
#include <cxxabi.h>

namespace platform {

std::string TPersistent::ClassName(const TPersistent& p) {
  int status = 0;
  const char* mangled = typeid(p).name();
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  state_ |= csDestroying;
  // Owned components go first, last created first, each removing itself from our list.
  while (!components_.empty()) delete components_.back();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetComponentState(unsigned flags, bool on) {
  if (on)
    state_ |= flags;
  else
    state_ &= ~flags;
}

void TComponent::RemoveComponent(TComponent* c) {
  components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
}

}  // namespace platform

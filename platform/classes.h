// The persistent and component base classes of our class library: copying between
// persistent objects, and components that have an owner, a name and a loading state.
#pragma once

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "sysutils.h"

namespace platform {

/// An object that can copy its state into another object of a compatible class.
class TPersistent {
 public:
  virtual ~TPersistent() = default;
  /// Copies `source` into this object by asking the source to copy itself here.
  virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }

 protected:
  /// Copies this object into `dest`; the base raises EConvertError ("Cannot assign a X to a Y").
  virtual void AssignTo(TPersistent& dest) const {
    throw EConvertError(std::string("Cannot assign a ") + ClassName(*this) + " to a " +
                        ClassName(dest));
  }
  static std::string ClassName(const TPersistent& p);
};

/// States a component passes through; csReading while its properties are read from a form
/// resource.
enum TComponentStateFlag : unsigned { csLoading = 1, csReading = 2, csDestroying = 4 };

/// A persistent object with an owner and a name; an owner destroys the components it owns.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  unsigned ComponentState() const { return state_; }
  /// Sets or clears state flags (the form reader marks csReading/csLoading).
  void SetComponentState(unsigned flags, bool on);
  const std::vector<TComponent*>& Components() const { return components_; }

 private:
  void RemoveComponent(TComponent* c);
  TComponent* owner_;
  std::string name_;
  unsigned state_ = 0;
  std::vector<TComponent*> components_;
};

}  // namespace platform

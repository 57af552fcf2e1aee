#pragma once
// Components with owners. An owner destroys what it owns, last created first,
// and every component that asked to hear of a removal is told, so that the
// non-owning pointers between components never dangle.
#include <functional>
#include <string>
#include <vector>

enum class TOperation { opInsert, opRemove };

class TComponent;
using TNotifyEvent = std::function<void(TComponent* sender)>;

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent();

  TComponent* Owner() const noexcept { return owner_; }
  const std::vector<TComponent*>& Components() const noexcept { return components_; }
  const std::wstring& Name() const noexcept { return name_; }
  void SetName(std::wstring name) { name_ = std::move(name); }

  // Asks to be told (through Notification) when `other` is removed; both
  // sides forget each other when either goes.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  bool Loading() const noexcept { return loading_; }
  bool Destroying() const noexcept { return destroying_; }

  // Layout loading brackets: properties set between the two are stored
  // values; Loaded runs once every reference is in place.
  void BeginLoading();
  // Runs Loaded on every owned component still loading, then on this one.
  void EndLoading();
  virtual void Loaded();

 protected:
  // Told of every component inserted into or removed from the owner chain
  // this component belongs to, and of removals it asked to hear about.
  virtual void Notification(TComponent* component, TOperation operation);
  // Frees the owned components now; derived destructors call it while their
  // own state (a window, say) is still alive for the children to leave.
  void DestroyComponents();

 private:
  void InsertComponent(TComponent* child);
  void RemoveComponent(TComponent* child);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> free_notifies_;
  std::wstring name_;
  bool loading_ = false;
  bool destroying_ = false;
};

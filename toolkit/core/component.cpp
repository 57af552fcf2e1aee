#include "toolkit/core/component.h"

#include <algorithm>

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  // Made while its owner loads from a layout: it is part of that layout.
  if (owner) {
    loading_ = owner->loading_;
    owner->InsertComponent(this);
  }
}

TComponent::~TComponent() {
  destroying_ = true;
  // Those that asked to hear of this component's removal are told first,
  // then the owner and everything it owns.
  const auto listeners = free_notifies_;
  free_notifies_.clear();
  for (TComponent* c : listeners) {
    Erase(c->free_notifies_, this);
    c->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    delete components_.back();
  }
}

void TComponent::InsertComponent(TComponent* child) {
  child->owner_ = this;
  components_.push_back(child);
  Notification(child, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* child) {
  Erase(components_, child);
  child->owner_ = nullptr;
  Notification(child, TOperation::opRemove);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove) Erase(free_notifies_, component);
  // Copy: a handler may remove components of its own in reaction.
  const auto owned = components_;
  for (TComponent* c : owned) {
    if (c != component) c->Notification(component, operation);
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(free_notifies_.begin(), free_notifies_.end(), other) == free_notifies_.end())
    free_notifies_.push_back(other);
  if (std::find(other->free_notifies_.begin(), other->free_notifies_.end(), this) ==
      other->free_notifies_.end())
    other->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  Erase(free_notifies_, other);
  if (other) Erase(other->free_notifies_, this);
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::Loaded() {
  loading_ = false;
}

void TComponent::EndLoading() {
  const auto owned = components_;
  for (TComponent* c : owned) {
    if (c->loading_) c->Loaded();
  }
  if (loading_) Loaded();
}

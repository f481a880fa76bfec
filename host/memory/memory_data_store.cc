#include "host/memory/memory_data_store.h"

#include <algorithm>

#include "host/memory/memory_graphic_set.h"

namespace sulkor::host {

// ---- tools

Variant MemoryTool::Property(std::string_view key) {
  auto it = properties_.find(key);
  return it == properties_.end() ? Variant() : it->second;
}

void MemoryTool::SetProperty(std::string_view key, const Variant& value) {
  properties_.insert_or_assign(std::string(key), value);
}

bool MemoryTool::CanPerform(std::string_view operationType) {
  return operations_.find(operationType) != operations_.end();
}

void MemoryTool::AllowOperation(std::string_view operationType) {
  operations_.emplace(operationType);
}

Handle<Tool> MemoryToolTable::ToolByNumber(int32_t number) {
  auto it = tools_.find(number);
  if (it == tools_.end()) return nullptr;
  return Handle<Tool>(it->second);
}

void MemoryToolTable::SetTool(int32_t number, std::shared_ptr<MemoryTool> tool) {
  tools_.insert_or_assign(number, std::move(tool));
}

// ---- block sets

MemoryBlockSet::MemoryBlockSet(std::weak_ptr<MemoryDataStore> store, int32_t identifier)
    : store_(std::move(store)),
      identifier_(identifier),
      contourSet_(Handle<GraphicSet>(std::make_shared<MemoryGraphicSet>())) {}

void MemoryBlockSet::Initialize() {
  auto store = store_.lock();
  if (!store) throw HostError("the block set's data store is gone");
  if (!initialized_) {
    initialized_ = true;
    store->Join(shared_from_this());
  }
  if (!group_ && store->groupMaker_) group_ = store->groupMaker_(*this);
}

Variant MemoryBlockSet::Property(std::string_view key) {
  auto it = properties_.find(key);
  return it == properties_.end() ? Variant() : it->second;
}

void MemoryBlockSet::SetProperty(std::string_view key, const Variant& value) {
  properties_.insert_or_assign(std::string(key), value);
}

int32_t MemoryBlockSet::Index() {
  auto store = store_.lock();
  return store ? store->IndexOf(this) : -1;
}

Handle<Part> MemoryBlockSet::OwnerPart() {
  if (part_) return part_;
  auto store = store_.lock();
  auto it = properties_.find(kKeyPartId);
  if (!store || it == properties_.end() || it->second.IsEmpty()) return nullptr;
  int32_t id = 0;
  if (!WithErrorsSuppressed([&] { id = it->second.ToLong(); })) return nullptr;
  return store->PartById(id);
}

void MemoryBlockSet::AttachTrajectory(const Handle<Graphic>& trajectory) {
  if (trajectory_ && !(trajectory_ == trajectory)) trajectory_->Delete();
  trajectory_ = trajectory;
  if (trajectory_ && group_) group_->Children()->AddGraphic(trajectory_);
}

bool MemoryBlockSet::RequestUpdate(bool first, bool second) {
  updateRequests_.emplace_back(first, second);
  auto store = store_.lock();
  if (!store || !store->updateHandler_) return false;
  return store->updateHandler_(Handle<BlockSet>(shared_from_this()), first, second);
}

// ---- store

std::shared_ptr<MemoryDataStore> MemoryDataStore::Create() {
  return std::shared_ptr<MemoryDataStore>(new MemoryDataStore());
}

Variant MemoryDataStore::Setting(std::string_view key) {
  auto it = settings_.find(key);
  return it == settings_.end() ? Variant() : it->second;
}

void MemoryDataStore::SetSetting(std::string_view key, const Variant& value) {
  settings_.insert_or_assign(std::string(key), value);
}

Handle<BlockSet> MemoryDataStore::BlockSetAt(int32_t index) {
  if (index < 0 || index >= BlockSetCount()) return nullptr;
  return Handle<BlockSet>(blockSets_[static_cast<size_t>(index)]);
}

std::shared_ptr<MemoryBlockSet> MemoryDataStore::NewBlockSet() {
  auto blockSet = std::make_shared<MemoryBlockSet>(weak_from_this(), nextBlockSetId_++);
  return blockSet;
}

std::shared_ptr<MemoryPart> MemoryDataStore::NewPart(Handle<Graphic> group) {
  auto part = std::make_shared<MemoryPart>(nextPartId_++, std::move(group));
  parts_.push_back(part);
  if (!activePart_) activePart_ = part;
  return part;
}

void MemoryDataStore::SetActivePart(std::shared_ptr<MemoryPart> part) {
  activePart_ = std::move(part);
}

Handle<Part> MemoryDataStore::PartById(int32_t identifier) {
  for (auto& part : parts_) {
    if (part->Identifier() == identifier) return Handle<Part>(part);
  }
  return nullptr;
}

void MemoryDataStore::RemoveBlockSet(int32_t index) {
  if (index < 0 || index >= BlockSetCount()) throw HostError("block set index outside the store");
  blockSets_.erase(blockSets_.begin() + index);
}

std::shared_ptr<MemoryPart> MemoryDataStore::RestorePart(int32_t identifier,
                                                         Handle<Graphic> group) {
  auto part = std::make_shared<MemoryPart>(identifier, std::move(group));
  parts_.push_back(part);
  nextPartId_ = std::max(nextPartId_, identifier + 1);
  return part;
}

std::shared_ptr<MemoryBlockSet> MemoryDataStore::RestoreBlockSet(int32_t identifier) {
  auto blockSet = std::make_shared<MemoryBlockSet>(weak_from_this(), identifier);
  blockSet->initialized_ = true;
  blockSets_.push_back(blockSet);
  nextBlockSetId_ = std::max(nextBlockSetId_, identifier + 1);
  return blockSet;
}

void MemoryDataStore::SetNextIdentifiers(int32_t part, int32_t blockSet) {
  nextPartId_ = part;
  nextBlockSetId_ = blockSet;
}

int32_t MemoryDataStore::IndexOf(const MemoryBlockSet* blockSet) const {
  for (size_t i = 0; i < blockSets_.size(); ++i) {
    if (blockSets_[i].get() == blockSet) return static_cast<int32_t>(i);
  }
  return -1;
}

void MemoryDataStore::Join(const std::shared_ptr<MemoryBlockSet>& blockSet) {
  if (IndexOf(blockSet.get()) < 0) blockSets_.push_back(blockSet);
}

}  // namespace sulkor::host

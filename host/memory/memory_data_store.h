// The in-memory CAM data store: parts, the tool table, settings, and the ordered list of block
// sets (the operations). One store serves a running host; every object created by ProgID that
// belongs to the data store reaches it.
//
// A block set is made free (NewBlockSet, the ProgID "Ordrel.CAMBlockSetImpl") and joins the
// store's list when it is initialized: that is the moment a host's operation record comes into
// being, and a block set that was never initialized is no operation of the store (Index -1).
// Initializing also gives it its graphic group when the store has a group maker.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sulkor/data_store.h"
#include "sulkor/store_names.h"

namespace sulkor::host {

class MemoryDataStore;

class MemoryPart : public Part {
 public:
  MemoryPart(int32_t identifier, Handle<Graphic> group)
      : identifier_(identifier), group_(std::move(group)) {}
  int32_t Identifier() override { return identifier_; }
  Handle<Graphic> PartGraphic() override { return group_; }
  void SetPartGraphic(Handle<Graphic> group) { group_ = std::move(group); }

 private:
  int32_t identifier_;
  Handle<Graphic> group_;
};

// A tool: a bag of properties and the operation types it can perform.
class MemoryTool : public Tool {
 public:
  Variant Property(std::string_view key) override;  // Empty when absent
  void SetProperty(std::string_view key, const Variant& value) override;
  bool CanPerform(std::string_view operationType) override;

  void AllowOperation(std::string_view operationType);
  const std::map<std::string, Variant, std::less<>>& Properties() const { return properties_; }
  const std::set<std::string, std::less<>>& Operations() const { return operations_; }

 private:
  std::map<std::string, Variant, std::less<>> properties_;
  std::set<std::string, std::less<>> operations_;
};

class MemoryToolTable : public ToolTable {
 public:
  Handle<Tool> ToolByNumber(int32_t number) override;  // nothing when absent
  // Puts a tool under a number, replacing the one there.
  void SetTool(int32_t number, std::shared_ptr<MemoryTool> tool);
  const std::map<int32_t, std::shared_ptr<MemoryTool>>& All() const { return tools_; }

 private:
  std::map<int32_t, std::shared_ptr<MemoryTool>> tools_;
};

class MemoryBlockSet : public BlockSet, public std::enable_shared_from_this<MemoryBlockSet> {
 public:
  MemoryBlockSet(std::weak_ptr<MemoryDataStore> store, int32_t identifier);

  // Joins the store's list of block sets (once) and gets a graphic group from the store's group
  // maker when it has none.
  void Initialize() override;
  Variant Property(std::string_view key) override;  // Empty when absent
  void SetProperty(std::string_view key, const Variant& value) override;
  int32_t Index() override;  // in the store's list; -1 before initialization
  int32_t Identifier() override { return identifier_; }
  Handle<Graphic> GraphicGroup() override { return group_; }
  // The part set for it, else the store's part whose identifier is its "CAM_PartID".
  Handle<Part> OwnerPart() override;
  Handle<GraphicSet> ContourSet() override { return contourSet_; }  // empty at first
  void SetContourSet(const Handle<GraphicSet>& set) override { contourSet_ = set; }
  // The trajectory takes the place of the previous one in the graphic group.
  void AttachTrajectory(const Handle<Graphic>& trajectory) override;
  Handle<Graphic> Trajectory() override { return trajectory_; }
  // Hands the request to the store's update handler and answers its result; false without one.
  bool RequestUpdate(bool first, bool second) override;

  bool Initialized() const { return initialized_; }
  void SetGraphicGroup(Handle<Graphic> group) { group_ = std::move(group); }
  // Restores the attachment of a saved trajectory, leaving the graphic where it is.
  void SetTrajectory(Handle<Graphic> trajectory) { trajectory_ = std::move(trajectory); }
  void SetPart(Handle<Part> part) { part_ = std::move(part); }
  // The part set with SetPart, without falling back on "CAM_PartID".
  const Handle<Part>& AssignedPart() const { return part_; }
  const std::map<std::string, Variant, std::less<>>& Properties() const { return properties_; }
  // The flags of every update request, in order.
  const std::vector<std::pair<bool, bool>>& UpdateRequests() const { return updateRequests_; }

 private:
  friend class MemoryDataStore;

  std::weak_ptr<MemoryDataStore> store_;
  int32_t identifier_;
  bool initialized_ = false;
  std::map<std::string, Variant, std::less<>> properties_;
  Handle<Graphic> group_;
  Handle<Part> part_;
  Handle<GraphicSet> contourSet_;
  Handle<Graphic> trajectory_;
  std::vector<std::pair<bool, bool>> updateRequests_;
};

class MemoryDataStore : public DataStore, public std::enable_shared_from_this<MemoryDataStore> {
 public:
  // Answers whether the block set updated itself (a host wires it to Groove::UpdateBlockSet).
  using UpdateHandler = std::function<bool(const Handle<BlockSet>&, bool first, bool second)>;
  // Makes the graphic group of a newly initialized block set; nothing for none.
  using GroupMaker = std::function<Handle<Graphic>(MemoryBlockSet&)>;

  static std::shared_ptr<MemoryDataStore> Create();

  Handle<Part> ActivePart() override { return Handle<Part>(activePart_); }
  Handle<ToolTable> Tools() override { return Handle<ToolTable>(tools_); }
  Variant Setting(std::string_view key) override;  // Empty when absent
  int32_t BlockSetCount() override { return static_cast<int32_t>(blockSets_.size()); }
  Handle<BlockSet> BlockSetAt(int32_t index) override;  // nothing when outside

  // A new block set with the next identifier, not yet in the list.
  std::shared_ptr<MemoryBlockSet> NewBlockSet();
  // A new part with the next identifier; the first part made becomes the active one.
  std::shared_ptr<MemoryPart> NewPart(Handle<Graphic> group);
  void SetActivePart(std::shared_ptr<MemoryPart> part);
  Handle<Part> PartById(int32_t identifier);  // nothing when absent
  void SetSetting(std::string_view key, const Variant& value);
  MemoryToolTable& ToolList() { return *tools_; }
  const std::vector<std::shared_ptr<MemoryBlockSet>>& BlockSets() const { return blockSets_; }
  const std::vector<std::shared_ptr<MemoryPart>>& Parts() const { return parts_; }
  // Takes a block set out of the list; the following ones move up.
  void RemoveBlockSet(int32_t index);

  // Restoring a saved store (the job file). A part or an operation comes back with its saved
  // identifier: the part joins the parts (never becoming the active one by itself), the block
  // set joins the end of the list as initialized, without asking the group maker.
  std::shared_ptr<MemoryPart> RestorePart(int32_t identifier, Handle<Graphic> group);
  std::shared_ptr<MemoryBlockSet> RestoreBlockSet(int32_t identifier);
  // The identifiers that the next NewPart and NewBlockSet give.
  int32_t NextPartIdentifier() const { return nextPartId_; }
  int32_t NextBlockSetIdentifier() const { return nextBlockSetId_; }
  void SetNextIdentifiers(int32_t part, int32_t blockSet);
  const std::map<std::string, Variant, std::less<>>& Settings() const { return settings_; }

  void SetUpdateHandler(UpdateHandler handler) { updateHandler_ = std::move(handler); }
  void SetGroupMaker(GroupMaker maker) { groupMaker_ = std::move(maker); }

 private:
  friend class MemoryBlockSet;
  MemoryDataStore() = default;

  int32_t IndexOf(const MemoryBlockSet* blockSet) const;
  void Join(const std::shared_ptr<MemoryBlockSet>& blockSet);

  std::shared_ptr<MemoryToolTable> tools_ = std::make_shared<MemoryToolTable>();
  std::map<std::string, Variant, std::less<>> settings_;
  std::vector<std::shared_ptr<MemoryPart>> parts_;
  std::shared_ptr<MemoryPart> activePart_;
  std::vector<std::shared_ptr<MemoryBlockSet>> blockSets_;
  int32_t nextBlockSetId_ = 1;
  int32_t nextPartId_ = 1;
  UpdateHandler updateHandler_;
  GroupMaker groupMaker_;
};

// The palette's events site: records the identifiers it is told of.
class MemoryEventsSite : public EventsSite {
 public:
  void OnDeleteBlockSet(int32_t& blockSetId) override { deleted_.push_back(blockSetId); }
  const std::vector<int32_t>& DeletedBlockSets() const { return deleted_; }

 private:
  std::vector<int32_t> deleted_;
};

}  // namespace sulkor::host

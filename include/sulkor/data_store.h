// The host's CAM data store as the component sees it: parts, the tool table, tools, block sets
// (the operations) and the palette's events site. Every data-store object created by ProgID
// reaches the one store of the running host.
#pragma once

#include <cstdint>
#include <string_view>

#include "sulkor/drawing.h"
#include "sulkor/handle.h"
#include "sulkor/variant.h"

namespace sulkor {

inline constexpr std::string_view kProgIdDataStore = "Ordrel.CAMDataStoreImpl";
inline constexpr std::string_view kProgIdBlockSet = "Ordrel.CAMBlockSetImpl";
inline constexpr std::string_view kProgIdEventsSite = "Tinlow.DataStoreEventsSite";

class BlockSet;

class Part : public HostObject {
 public:
  virtual int32_t Identifier() = 0;
  virtual Handle<Graphic> PartGraphic() = 0;  // the part group, or nothing
};

class Tool : public HostObject {
 public:
  virtual Variant Property(std::string_view key) = 0;
  virtual void SetProperty(std::string_view key, const Variant& value) = 0;
  // Whether the tool can be used for an operation type such as "Groove".
  virtual bool CanPerform(std::string_view operationType) = 0;
};

class ToolTable : public HostObject {
 public:
  virtual Handle<Tool> ToolByNumber(int32_t number) = 0;  // nothing when the table has none
};

class BlockSet : public HostObject {
 public:
  virtual void Initialize() = 0;
  virtual Variant Property(std::string_view key) = 0;  // Empty when absent
  virtual void SetProperty(std::string_view key, const Variant& value) = 0;
  virtual int32_t Index() = 0;
  virtual int32_t Identifier() = 0;
  virtual Handle<Graphic> GraphicGroup() = 0;  // nothing when the operation has none
  virtual Handle<Part> OwnerPart() = 0;        // nothing when it belongs to no part
  virtual Handle<GraphicSet> ContourSet() = 0;
  virtual void SetContourSet(const Handle<GraphicSet>& set) = 0;
  virtual void AttachTrajectory(const Handle<Graphic>& trajectory) = 0;
  virtual Handle<Graphic> Trajectory() = 0;
  // Asks the operation to update itself; answers whether it succeeded.
  virtual bool RequestUpdate(bool first, bool second) = 0;
};

class DataStore : public HostObject {
 public:
  virtual Handle<Part> ActivePart() = 0;
  virtual Handle<ToolTable> Tools() = 0;
  virtual Variant Setting(std::string_view key) = 0;  // Empty when absent
  virtual int32_t BlockSetCount() = 0;
  virtual Handle<BlockSet> BlockSetAt(int32_t index) = 0;  // nothing when outside
};

class EventsSite : public HostObject {
 public:
  virtual void OnDeleteBlockSet(int32_t& blockSetId) = 0;
};

}  // namespace sulkor

// The groove operation: the whole public face of the component. One Groove stands for one
// plunge-grooving operation of the host's lathe CAM.
//
// Calling order as a host uses it: create the object; for a new operation load values with
// SetParameter (or SetParameters from an existing block set), CreateBlockSet with the selected
// contours, then DoGroove with the new block set; UpdateBlockSet for an existing operation whose
// inputs changed; GetParameter and UseUndo at any time.
//
// No member throws to the host except the constructor (a missing host component fails the
// creation) and the UseUndo write of a Variant that cannot be converted to a Boolean.
#pragma once

#include <memory>
#include <string>

#include "sulkor/data_store.h"
#include "sulkor/drawing.h"
#include "sulkor/environment.h"
#include "sulkor/self_intersection.h"
#include "sulkor/variant.h"

namespace sulkor {

inline constexpr std::string_view kProgIdGroove = "Sulkor.Groove";

struct OperationState;

class Groove {
 public:
  explicit Groove(std::shared_ptr<HostEnvironment> host);
  ~Groove();
  Groove(const Groove&) = delete;
  Groove& operator=(const Groove&) = delete;

  bool SetParameter(const std::string& strName, const Variant& val);
  Variant GetParameter(const std::string& strName);
  bool SetParameters(const Handle<BlockSet>& camBSet);
  Handle<BlockSet> CreateBlockSet(const Handle<GraphicSet>& gxCntrSet);
  bool DoGroove(const Handle<BlockSet>& camBSet);
  bool UpdateBlockSet(const Handle<BlockSet>& camBSet, bool bUpdToolPath);
  // Why the last DoGroove or UpdateBlockSet failed, with its numbers ("insert 4.000 wide,
  // groove 3.500 wide at its narrowest (x 42.000)"); empty after a success or where the failure
  // has no more to say than its message.
  std::string LastFailureDetail() const;
  Variant UseUndo() const;
  void UseUndo(const Variant& value);
  bool AddBodyToPart(const Handle<BlockSet>& camBSet);

 private:
  friend OperationState& StateOf(Groove& groove);
  friend const OperationState& StateOf(const Groove& groove);

  std::unique_ptr<OperationState> state_;
};

}  // namespace sulkor

// A set of graphics that the user selected: the contour set of a block set. It refers to the
// graphics without owning their place in the drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "sulkor/drawing.h"

namespace sulkor::host {

class MemoryGraphicSet : public GraphicSet {
 public:
  int32_t Count() override { return static_cast<int32_t>(graphics_.size()); }
  Handle<Graphic> Item(int32_t index) override;  // nothing when outside
  void Add(const Handle<Graphic>& graphic) override;  // nothing is not added
  void Finish() override { ++finishes_; }

  int32_t Finishes() const { return finishes_; }

 private:
  std::vector<Handle<Graphic>> graphics_;
  int32_t finishes_ = 0;
};

}  // namespace sulkor::host

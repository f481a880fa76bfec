#include "host/memory/memory_graphic.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "contour/tolerances.h"
#include "kernel/arc_vertices.h"

namespace sulkor::host {
namespace {

Point2 At(MemoryVertex& v) { return {v.X(), v.Y()}; }

}  // namespace

// ---- vertices

void MemoryVertex::MoveBy(double dx, double dy, double dz) {
  x_ += dx;
  y_ += dy;
  z_ += dz;
}

Handle<Vertex> MemoryVertices::Add(double x, double y, double z) {
  return Handle<Vertex>(AddMarked(x, y, z, false));
}

std::shared_ptr<MemoryVertex> MemoryVertices::AddMarked(double x, double y, double z,
                                                        bool arcMark) {
  auto vertex = std::make_shared<MemoryVertex>(x, y, z, arcMark);
  vertices_.push_back(vertex);
  return vertex;
}

Handle<Vertex> MemoryVertices::Item(int32_t index) {
  if (index < 0 || index >= Count()) throw HostError("vertex index outside the collection");
  return Handle<Vertex>(vertices_[static_cast<size_t>(index)]);
}

// ---- graphic

MemoryGraphic::MemoryGraphic(std::string_view kind, std::weak_ptr<Drawing> context)
    : kind_(kind), context_(std::move(context)) {}

std::shared_ptr<MemoryGraphic> MemoryGraphic::Create(std::string_view kind,
                                                     std::weak_ptr<Drawing> context) {
  std::shared_ptr<MemoryGraphic> graphic(new MemoryGraphic(kind, std::move(context)));
  graphic->children_.reset(new MemoryGraphics());
  graphic->children_->owner_ = graphic;
  return graphic;
}

Handle<Drawing> MemoryGraphic::OwnerDrawing() {
  if (auto parent = parent_.lock()) return parent->OwnerDrawing();
  return Handle<Drawing>(context_.lock());
}

Handle<Application> MemoryGraphic::App() {
  Handle<Drawing> drawing = OwnerDrawing();
  if (!drawing) return nullptr;
  return drawing->App();
}

Handle<Graphics> MemoryGraphic::Children() { return Handle<Graphics>(children_); }

Handle<Vertices> MemoryGraphic::VertexCollection() { return Handle<Vertices>(vertices_); }

Variant MemoryGraphic::Property(std::string_view name) {
  auto it = properties_.find(name);
  return it == properties_.end() ? Variant() : it->second;
}

void MemoryGraphic::SetProperty(std::string_view name, const Variant& value) {
  properties_.insert_or_assign(std::string(name), value);
}

void MemoryGraphic::CloseUpdate() {
  if (openBrackets_ > 0) --openBrackets_;
}

void MemoryGraphic::MoveBy(double dx, double dy, double dz) {
  for (auto& v : vertices_->All()) v->MoveBy(dx, dy, dz);
  for (auto& child : children_->All()) child->MoveBy(dx, dy, dz);
}

int32_t MemoryGraphic::Index() {
  auto parent = parent_.lock();
  if (!parent) throw HostError("the graphic is in no collection");
  return parent->IndexOf(this);
}

void MemoryGraphic::Delete() {
  deleted_ = true;
  auto parent = parent_.lock();
  if (!parent) return;
  const int32_t index = parent->IndexOf(this);
  if (index >= 0) parent->RemoveAt(static_cast<size_t>(index));
}

bool MemoryGraphic::Contains(const MemoryGraphic* other) {
  if (other == this) return true;
  for (auto& child : children_->All()) {
    if (child->Contains(other)) return true;
  }
  return false;
}

void MemoryGraphic::WidenBox(BoundingBox& box, bool& any) {
  const auto& vs = vertices_->All();
  if (!vs.empty()) {
    Point2 lo{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Point2 hi{std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    double zlo = std::numeric_limits<double>::max();
    double zhi = std::numeric_limits<double>::lowest();
    for (auto& v : vs) {
      zlo = std::min(zlo, v->Z());
      zhi = std::max(zhi, v->Z());
    }
    // Points first; an arc whose vertices do not make an arc counts by its points alone.
    auto widenPoint = [&](Point2 p) {
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    };
    auto widenArc = [&](Point2 s, Point2 e, auto&& arcOf) {
      widenPoint(s);
      widenPoint(e);
      try {
        WidenByArc(s, e, arcOf(), lo, hi);
      } catch (const GeometryError&) {
      }
    };
    if (kind_ == kKindCircleGraphic && vs.size() >= 2) {
      const Point2 c = At(*vs[0]);
      const Point2 p = At(*vs[1]);
      widenArc(p, p, [&] { return ArcGeometry{c, std::hypot(p.x - c.x, p.y - c.y), 1}; });
    } else if (kind_ == kKindArcGraphic && vs.size() >= 3) {
      const Point2 s = At(*vs[0]);
      const Point2 e = At(*vs[1]);
      const Point2 q = At(*vs[2]);
      widenArc(s, e, [&] {
        return vs.size() >= 4 ? ArcFromCenter(s, q, At(*vs[3])) : ArcFromQuarterAndEnd(s, q, e);
      });
    } else {
      // A polyline: its ordinary vertices, and each marked arc by its extreme points.
      Point2 current = At(*vs[0]);
      widenPoint(current);
      for (size_t i = 1; i < vs.size();) {
        if (vs[i]->ArcMark() && i + 2 < vs.size()) {
          const Point2 end = At(*vs[i + 2]);
          const Point2 center = At(*vs[i]);
          const Point2 quarter = At(*vs[i + 1]);
          widenArc(current, end, [&] { return ArcFromCenter(current, quarter, center); });
          current = end;
          i += 3;
        } else {
          current = At(*vs[i]);
          widenPoint(current);
          ++i;
        }
      }
    }
    if (!any) {
      box.min[0] = lo.x;
      box.min[1] = lo.y;
      box.min[2] = zlo;
      box.max[0] = hi.x;
      box.max[1] = hi.y;
      box.max[2] = zhi;
      any = true;
    } else {
      box.min[0] = std::min(box.min[0], lo.x);
      box.min[1] = std::min(box.min[1], lo.y);
      box.min[2] = std::min(box.min[2], zlo);
      box.max[0] = std::max(box.max[0], hi.x);
      box.max[1] = std::max(box.max[1], hi.y);
      box.max[2] = std::max(box.max[2], zhi);
    }
  }
  for (auto& child : children_->All()) child->WidenBox(box, any);
}

BoundingBox MemoryGraphic::Box() {
  BoundingBox box;
  bool any = false;
  WidenBox(box, any);
  return box;
}

// ---- graphics collection

std::shared_ptr<MemoryGraphics> MemoryGraphics::ForDrawing(std::weak_ptr<Drawing> drawing) {
  std::shared_ptr<MemoryGraphics> graphics(new MemoryGraphics());
  graphics->drawing_ = std::move(drawing);
  return graphics;
}

Handle<Drawing> MemoryGraphics::OwnerDrawing() {
  if (auto owner = owner_.lock()) return owner->OwnerDrawing();
  return Handle<Drawing>(drawing_.lock());
}

int32_t MemoryGraphics::IndexOf(const MemoryGraphic* graphic) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == graphic) return static_cast<int32_t>(i);
  }
  return -1;
}

Handle<Graphic> MemoryGraphics::Item(int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return Handle<Graphic>(items_[static_cast<size_t>(index)]);
}

Handle<Graphic> MemoryGraphics::ItemByName(std::string_view name) {
  for (auto& item : items_) {
    if (item->name_ == name) return Handle<Graphic>(item);
  }
  return nullptr;
}

std::shared_ptr<MemoryGraphic> MemoryGraphics::NewGraphic(std::string_view kind) {
  auto graphic = MemoryGraphic::Create(kind, OwnerDrawing().shared());
  Append(graphic);
  return graphic;
}

void MemoryGraphics::Append(const std::shared_ptr<MemoryGraphic>& graphic) {
  items_.push_back(graphic);
  graphic->parent_ = weak_from_this();
  graphic->deleted_ = false;
}

void MemoryGraphics::RemoveAt(size_t index) {
  std::shared_ptr<MemoryGraphic> graphic = items_[index];
  // A graphic out of every collection stays in the context of the drawing it was in.
  graphic->context_ = OwnerDrawing().shared();
  graphic->parent_.reset();
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

Handle<Graphic> MemoryGraphics::Add(std::string_view type) {
  return Handle<Graphic>(NewGraphic(type));
}

void MemoryGraphics::AddGraphic(const Handle<Graphic>& graphic) {
  auto memory = std::dynamic_pointer_cast<MemoryGraphic>(graphic.shared());
  if (!memory) {
    graphic.Get();  // nothing: the missing-object error
    throw HostError("a graphic of another host cannot be added to this drawing");
  }
  if (auto owner = owner_.lock(); owner && memory->Contains(owner.get())) {
    throw HostError("a graphic cannot be added below itself");
  }
  if (auto old = memory->parent_.lock()) {
    const int32_t index = old->IndexOf(memory.get());
    if (index >= 0) old->RemoveAt(static_cast<size_t>(index));
  }
  const bool replace = replaceArmed_ && memory->flag_;
  replaceArmed_ = false;
  if (replace) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i]->name_ != memory->name_) continue;
      std::shared_ptr<MemoryGraphic> replaced = items_[i];
      RemoveAt(i);
      replaced->deleted_ = true;
      Append(memory);
      std::rotate(items_.begin() + static_cast<std::ptrdiff_t>(i), items_.end() - 1, items_.end());
      return;
    }
  }
  Append(memory);
}

void MemoryGraphics::Operation(int16_t code) {
  operations_.push_back(code);
  if (code == 128) replaceArmed_ = true;
}

Handle<Graphic> MemoryGraphics::AddArcThroughPoints(double x1, double y1, double z1, double x2,
                                                    double y2, double /*z2*/, double x3, double y3,
                                                    double z3) {
  const Point2 a{x1, y1};
  const Point2 b{x2, y2};
  const Point2 c{x3, y3};
  Point2 center;
  try {
    center = CircleThroughPoints(a, b, c);
  } catch (const GeometryError& e) {
    throw HostError(std::string("cannot add an arc: ") + e.what());
  }
  // Stored counterclockwise: three points that run clockwise are walked from the last.
  const bool ccw = TurnsCounterclockwise(a, b, c);
  const Point2 start = ccw ? a : c;
  const Point2 end = ccw ? c : a;
  const double zStart = ccw ? z1 : z3;
  const double zEnd = ccw ? z3 : z1;
  const Point2 quarter = QuarterPoint(start, center, 1);
  auto arc = NewGraphic(kKindArcGraphic);
  MemoryVertices& vs = arc->VertexList();
  vs.AddMarked(start.x, start.y, zStart, false);
  vs.AddMarked(end.x, end.y, zEnd, false);
  vs.AddMarked(quarter.x, quarter.y, zStart, true);
  vs.AddMarked(center.x, center.y, zStart, true);
  return Handle<Graphic>(arc);
}

Handle<Graphic> MemoryGraphics::AddCircleCenterPoint(double cx, double cy, double cz, double px,
                                                     double py, double pz) {
  if (std::hypot(px - cx, py - cy) < kEps) throw HostError("cannot add a circle of no radius");
  auto circle = NewGraphic(kKindCircleGraphic);
  circle->VertexList().AddMarked(cx, cy, cz, true);
  circle->VertexList().AddMarked(px, py, pz, false);
  return Handle<Graphic>(circle);
}

void MemoryGraphics::Remove(int32_t index) {
  if (index < 0 || index >= Count()) throw HostError("graphic index outside the collection");
  RemoveAt(static_cast<size_t>(index));
}

}  // namespace sulkor::host

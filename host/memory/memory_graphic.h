// The graphics of the in-memory drawing: graphics, their children collections and their vertices.
//
// A graphic is a tree node: it has a kind, a name, properties, a layer, a fill brush, vertices
// and a collection of children. A group is a graphic with children. Every graphic belongs to at
// most one collection at a time; Delete takes it out of that collection, AddGraphic moves it into
// another. Collections hold their graphics; a graphic knows its collection and a collection its
// owner only weakly, so a tree is released with its root.
//
// How geometry is stored in vertices (X, Y, Z and an arc mark each):
//   polyline ("QVL50Polyline", or any graphic without children that is not an arc or a circle):
//     the vertices in order of travel. An arc is marked by two arc-marked vertices after its
//     start: the centre, then the point a quarter turn from the start in the arc's direction; the
//     next ordinary vertex is the arc's end. The closed mark closes the chain back to its first
//     vertex. A line is a plain graphic with two vertices.
//   arc (kind "Arc"): vertex 0 the start, 1 the end, 2 the point a quarter turn from the start in
//     the direction of travel (arc-marked), 3 the centre (arc-marked). AddArcThroughPoints stores
//     the arc counterclockwise (three points that run clockwise have start and end exchanged); a
//     caller who wants a clockwise arc overwrites vertices 0 to 2 and leaves the centre as it is.
//     The centre is what tells a quarter arc from its mirror image: start, end and quarter point
//     alone fit two arcs when the end is the quarter point.
//   circle (kind "Circle"): vertex 0 the centre (arc-marked), 1 a point on the circle.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contour/records.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

// The kinds of the graphics that AddArcThroughPoints and AddCircleCenterPoint make.
inline constexpr std::string_view kKindArcGraphic = kKindArc;
inline constexpr std::string_view kKindCircleGraphic = kKindCircle;

class MemoryGraphics;

class MemoryVertex : public Vertex {
 public:
  MemoryVertex(double x, double y, double z, bool arcMark = false)
      : x_(x), y_(y), z_(z), arcMark_(arcMark) {}
  double X() override { return x_; }
  double Y() override { return y_; }
  double Z() override { return z_; }
  void SetX(double x) override { x_ = x; }
  void SetY(double y) override { y_ = y; }
  bool ArcMark() override { return arcMark_; }
  void SetArcMark(bool mark) override { arcMark_ = mark; }

  void MoveBy(double dx, double dy, double dz);

 private:
  double x_;
  double y_;
  double z_;
  bool arcMark_;
};

class MemoryVertices : public Vertices {
 public:
  void SetEditing(bool on) override { editing_ = on; }
  Handle<Vertex> Add(double x, double y, double z) override;
  int32_t Count() override { return static_cast<int32_t>(vertices_.size()); }
  // Throws HostError for an index outside 0 .. Count() - 1.
  Handle<Vertex> Item(int32_t index) override;

  bool Editing() const { return editing_; }
  const std::vector<std::shared_ptr<MemoryVertex>>& All() const { return vertices_; }
  std::shared_ptr<MemoryVertex> AddMarked(double x, double y, double z, bool arcMark);

 private:
  std::vector<std::shared_ptr<MemoryVertex>> vertices_;
  bool editing_ = false;
};

class MemoryGraphic : public Graphic, public std::enable_shared_from_this<MemoryGraphic> {
 public:
  // A graphic of the given kind ("" for a plain graphic) in no collection, in the context of a
  // drawing (nothing for none). Graphics are only made here, so that every one has its children.
  static std::shared_ptr<MemoryGraphic> Create(std::string_view kind,
                                               std::weak_ptr<Drawing> context);

  Handle<Application> App() override;
  Handle<Drawing> OwnerDrawing() override;
  Handle<Graphics> Children() override;

  std::string Name() override { return name_; }
  void SetName(std::string_view name) override { name_ = name; }
  std::string Kind() override { return kind_; }

  Variant Property(std::string_view name) override;
  void SetProperty(std::string_view name, const Variant& value) override;

  std::string Layer() override { return layer_; }
  void SetLayer(std::string_view layer) override { layer_ = layer; }
  Handle<Brush> FillBrush() override { return brush_; }
  void SetFillBrush(const Handle<Brush>& brush) override { brush_ = brush; }

  // The box around the graphic's vertices (arcs and circles by their extreme points) and its
  // children's boxes, with the third coordinate over every vertex. All zero for an empty graphic.
  BoundingBox Box() override;
  Handle<Vertices> VertexCollection() override;
  void MoveBy(double dx, double dy, double dz) override;

  // Throws HostError when the graphic is in no collection.
  int32_t Index() override;
  // Takes the graphic out of its collection; nothing more when it is in none.
  void Delete() override;

  void SetState(int16_t state) override { state_ = state; }
  void SetClosed(bool closed) override { closed_ = closed; }
  bool Closed() override { return closed_; }
  void SetFlag(bool on) override { flag_ = on; }
  void Update() override { ++updates_; }
  void Draw() override { ++draws_; }
  void OpenUpdate() override { ++openBrackets_; }
  void CloseUpdate() override;

  // What the host's display calls left behind, for tests and exports.
  int16_t State() const { return state_; }  // 1 until SetState is called
  bool Flag() const { return flag_; }
  int32_t Updates() const { return updates_; }
  int32_t Draws() const { return draws_; }
  int32_t OpenBrackets() const { return openBrackets_; }  // opened and not yet closed
  bool Deleted() const { return deleted_; }
  const std::map<std::string, Variant, std::less<>>& Properties() const { return properties_; }
  MemoryVertices& VertexList() { return *vertices_; }
  MemoryGraphics& ChildList() { return *children_; }
  // The collection that holds the graphic; nothing when it is in none.
  std::shared_ptr<MemoryGraphics> Parent() const { return parent_.lock(); }

 private:
  friend class MemoryGraphics;
  MemoryGraphic(std::string_view kind, std::weak_ptr<Drawing> context);

  // Whether this graphic is other or holds it somewhere below.
  bool Contains(const MemoryGraphic* other);
  void WidenBox(BoundingBox& box, bool& any);

  std::string kind_;
  std::string name_;
  std::string layer_;
  std::map<std::string, Variant, std::less<>> properties_;
  Handle<Brush> brush_;
  std::shared_ptr<MemoryVertices> vertices_ = std::make_shared<MemoryVertices>();
  std::shared_ptr<MemoryGraphics> children_;
  std::weak_ptr<MemoryGraphics> parent_;
  std::weak_ptr<Drawing> context_;  // the drawing of a graphic in no collection
  int16_t state_ = 1;
  bool closed_ = false;
  bool flag_ = false;
  bool deleted_ = false;
  int32_t updates_ = 0;
  int32_t draws_ = 0;
  int32_t openBrackets_ = 0;
};

class MemoryGraphics : public Graphics, public std::enable_shared_from_this<MemoryGraphics> {
 public:
  // The top-level collection of a drawing.
  static std::shared_ptr<MemoryGraphics> ForDrawing(std::weak_ptr<Drawing> drawing);

  Handle<Drawing> OwnerDrawing() override;
  int32_t Count() override { return static_cast<int32_t>(items_.size()); }
  Handle<Graphic> Item(int32_t index) override;
  Handle<Graphic> ItemByName(std::string_view name) override;  // the first of that name
  Handle<Graphic> Add(std::string_view type = "") override;
  // Moves a graphic of this host into the collection, out of the one that held it. Throws
  // HostError for a foreign graphic and for one that holds this collection (a cycle).
  void AddGraphic(const Handle<Graphic>& graphic) override;
  Handle<Graphic> AddArcThroughPoints(double x1, double y1, double z1, double x2, double y2,
                                      double z2, double x3, double y3, double z3) override;
  Handle<Graphic> AddCircleCenterPoint(double cx, double cy, double cz, double px, double py,
                                       double pz) override;
  // Throws HostError for an index outside 0 .. Count() - 1.
  void Remove(int32_t index) override;
  // The operation 128 arms a replacement: the next flagged graphic added to the collection takes
  // the place of the graphic of the same name, which leaves the collection. This is how a flat
  // blank is swapped for its new profile. Every code is recorded.
  void Operation(int16_t code) override;

  const std::vector<std::shared_ptr<MemoryGraphic>>& All() const { return items_; }
  const std::vector<int16_t>& Operations() const { return operations_; }
  // The graphic that owns the collection; nothing for a drawing's top level.
  std::shared_ptr<MemoryGraphic> Owner() const { return owner_.lock(); }
  // Index of a graphic in the collection, -1 when it is not there.
  int32_t IndexOf(const MemoryGraphic* graphic) const;

 private:
  friend class MemoryGraphic;
  MemoryGraphics() = default;

  std::shared_ptr<MemoryGraphic> NewGraphic(std::string_view kind);
  void Append(const std::shared_ptr<MemoryGraphic>& graphic);
  void RemoveAt(size_t index);

  std::vector<std::shared_ptr<MemoryGraphic>> items_;
  std::weak_ptr<MemoryGraphic> owner_;
  std::weak_ptr<Drawing> drawing_;  // the top level's drawing
  std::vector<int16_t> operations_;
  bool replaceArmed_ = false;
};

}  // namespace sulkor::host

// The host's drawing as the component sees it: the application, drawings, graphics and their
// collections, vertices and brushes. Every call may fail with HostError; a call that answers
// "the object, or nothing" returns a null Handle for nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sulkor/handle.h"
#include "sulkor/variant.h"

namespace sulkor {

class Drawing;
class Graphic;
class Graphics;

// The kinds of graphic the component compares with.
inline constexpr std::string_view kKindPolyline = "QVL50Polyline";
inline constexpr std::string_view kKindSolid = "QVL60ACISSOLID";
inline constexpr std::string_view kKindData = "DATA";

// The host's ProgIDs.
inline constexpr std::string_view kProgIdApplication = "Zentrix.Application.4";
inline constexpr std::string_view kProgIdGraphic = "Zentrix.Graphic.4";

class Application : public HostObject {
 public:
  // Late-bound creation of another host object by ProgID; nothing when it cannot.
  virtual Handle<HostObject> CreateObject(std::string_view progId) = 0;
  virtual Handle<Drawing> ActiveDrawing() = 0;
};

class Brush : public HostObject {
 public:
  virtual std::string Name() = 0;
};

class Drawing : public HostObject {
 public:
  // The drawing's properties, e.g. "LinearUnitName" ("in", "mm", or the double-quote character).
  virtual Variant Property(std::string_view name) = 0;
  virtual void SetProperty(std::string_view name, const Variant& value) = 0;
  // A brush of the drawing's brush collection by name ("ANSI36"); nothing when absent.
  virtual Handle<Brush> BrushByName(std::string_view name) = 0;
  // The top-level graphics of the drawing.
  virtual Handle<Graphics> TopGraphics() = 0;
  virtual Handle<Application> App() = 0;
};

class Vertex : public HostObject {
 public:
  virtual double X() = 0;
  virtual double Y() = 0;
  virtual double Z() = 0;
  virtual void SetX(double x) = 0;
  virtual void SetY(double y) = 0;
  virtual bool ArcMark() = 0;
  virtual void SetArcMark(bool mark) = 0;
};

// A graphic's vertices. A polyline marks an arc by two arc-marked vertices after its start:
// the centre, then the point a quarter turn from the start in the arc's direction; the next
// ordinary vertex is the arc's end.
class Vertices : public HostObject {
 public:
  virtual void SetEditing(bool on) = 0;  // the collection's setting, called with true
  virtual Handle<Vertex> Add(double x, double y, double z) = 0;
  virtual int32_t Count() = 0;
  virtual Handle<Vertex> Item(int32_t index) = 0;  // 0-based
};

struct BoundingBox {
  double min[3] = {0.0, 0.0, 0.0};
  double max[3] = {0.0, 0.0, 0.0};
};

class Graphic : public HostObject {
 public:
  virtual Handle<Application> App() = 0;
  virtual Handle<Drawing> OwnerDrawing() = 0;
  // The graphic's own children: its graphics collection (the late-bound property "Graphics").
  virtual Handle<Graphics> Children() = 0;

  virtual std::string Name() = 0;
  virtual void SetName(std::string_view name) = 0;
  virtual std::string Kind() = 0;

  // "PenColor", "PenWidth", "PenStyle", "BrushScale", ...: Empty when never written.
  virtual Variant Property(std::string_view name) = 0;
  virtual void SetProperty(std::string_view name, const Variant& value) = 0;

  virtual std::string Layer() = 0;
  virtual void SetLayer(std::string_view layer) = 0;
  virtual Handle<Brush> FillBrush() = 0;
  virtual void SetFillBrush(const Handle<Brush>& brush) = 0;  // nothing = no brush (the 0)

  virtual BoundingBox Box() = 0;
  virtual Handle<Vertices> VertexCollection() = 0;
  virtual void MoveBy(double dx, double dy, double dz) = 0;

  virtual int32_t Index() = 0;  // in the collection that holds it
  virtual void Delete() = 0;

  virtual void SetState(int16_t state) = 0;
  virtual void SetClosed(bool closed) = 0;
  virtual bool Closed() = 0;
  virtual void SetFlag(bool on) = 0;
  virtual void Update() = 0;
  virtual void Draw() = 0;
  virtual void OpenUpdate() = 0;   // the group's update bracket
  virtual void CloseUpdate() = 0;
};

class Graphics : public HostObject {
 public:
  // The drawing the collection belongs to; nothing for a collection outside a drawing.
  virtual Handle<Drawing> OwnerDrawing() = 0;
  virtual int32_t Count() = 0;
  virtual Handle<Graphic> Item(int32_t index) = 0;              // 0-based; nothing when outside
  virtual Handle<Graphic> ItemByName(std::string_view name) = 0;  // nothing when absent
  // A new graphic in this collection, of the given type ("" for a plain graphic).
  virtual Handle<Graphic> Add(std::string_view type = "") = 0;
  virtual void AddGraphic(const Handle<Graphic>& graphic) = 0;
  virtual Handle<Graphic> AddArcThroughPoints(double x1, double y1, double z1, double x2, double y2,
                                              double z2, double x3, double y3, double z3) = 0;
  virtual Handle<Graphic> AddCircleCenterPoint(double cx, double cy, double cz, double px,
                                               double py, double pz) = 0;
  virtual void Remove(int32_t index) = 0;
  virtual void Operation(int16_t code) = 0;  // the collection operation called with 128
};

// A set of graphics that the user selected: the contour set of a block set.
class GraphicSet : public HostObject {
 public:
  virtual int32_t Count() = 0;
  virtual Handle<Graphic> Item(int32_t index) = 0;
  virtual void Add(const Handle<Graphic>& graphic) = 0;
  virtual void Finish() = 0;  // the finishing operation, optional argument omitted
};

}  // namespace sulkor

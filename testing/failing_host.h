// A host whose calls fail, for tests: decorators of every host interface and of the geometry
// services that forward to another host (the memory host) and count every call on one shared
// FaultPlan, which throws HostError on the n-th call (and, if asked, on every call after it).
// Every object handed out through a decorator comes back decorated, so every call a Groove makes
// counts; objects handed in are unwrapped before they reach the host below. Each decorator
// carries the origin of its object (the ProgID it was created by, or the tag given to
// WrapObject), so that a trace of a clean run tells which part of the host each call went to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contour/geometry_services.h"
#include "sulkor/data_store.h"
#include "sulkor/drawing.h"
#include "sulkor/environment.h"
#include "sulkor/error.h"

namespace sulkor::host {

// The shared call counter.
class FaultPlan {
 public:
  struct Call {
    std::string method;  // "Graphic.SetName"
    std::string origin;  // "Zentrix.Graphic.4", "geometry", ...
  };

  // Fails call number n (1-based) of the count that starts now; with andAfter every call after
  // it fails too. n = 0 fails nothing.
  void FailAt(int64_t n, bool andAfter = false) {
    calls_ = 0;
    failAt_ = n;
    andAfter_ = andAfter;
    trace_.clear();
  }
  void Stop() { failAt_ = 0; }  // no call fails from now on; the count and the trace stay
  void Tracing(bool on) { tracing_ = on; }
  int64_t Calls() const { return calls_; }
  const std::vector<Call>& Trace() const { return trace_; }

  // Counts one call; throws HostError when it is one that fails.
  void Enter(std::string_view method, std::string_view origin) {
    ++calls_;
    if (tracing_) trace_.push_back({std::string(method), std::string(origin)});
    if (failAt_ > 0 && (calls_ == failAt_ || (andAfter_ && calls_ > failAt_))) {
      throw HostError("injected failure of call " + std::to_string(calls_) + " (" + std::string(method) + ")");
    }
  }

 private:
  int64_t calls_ = 0;
  int64_t failAt_ = 0;
  bool andAfter_ = false;
  bool tracing_ = false;
  std::vector<Call> trace_;
};

using PlanPtr = std::shared_ptr<FaultPlan>;

// The decorator of each host interface.
template <class T>
struct DecoratorOf;
#define SULKOR_DECORATOR(T) \
  class Faulty##T;          \
  template <>               \
  struct DecoratorOf<T> {   \
    using type = Faulty##T; \
  };
SULKOR_DECORATOR(Application)
SULKOR_DECORATOR(Brush)
SULKOR_DECORATOR(Drawing)
SULKOR_DECORATOR(Vertex)
SULKOR_DECORATOR(Vertices)
SULKOR_DECORATOR(Graphic)
SULKOR_DECORATOR(Graphics)
SULKOR_DECORATOR(GraphicSet)
SULKOR_DECORATOR(Part)
SULKOR_DECORATOR(Tool)
SULKOR_DECORATOR(ToolTable)
SULKOR_DECORATOR(BlockSet)
SULKOR_DECORATOR(DataStore)
SULKOR_DECORATOR(EventsSite)
#undef SULKOR_DECORATOR

// The object decorated (null stays null).
template <class T>
Handle<T> WrapObject(const PlanPtr& plan, const Handle<T>& object, const std::string& origin) {
  if (!object) return nullptr;
  return Handle<T>(std::make_shared<typename DecoratorOf<T>::type>(plan, object, origin));
}

// The decorators' common part: the plan, the origin and the object below.
template <class T>
class Faulty : public T {
 public:
  Faulty(PlanPtr plan, Handle<T> inner, std::string origin)
      : plan_(std::move(plan)), inner_(std::move(inner)), origin_(std::move(origin)) {}
  const Handle<T>& Inner() const { return inner_; }

 protected:
  const PlanPtr& Plan() const { return plan_; }
  T& Enter(std::string_view method) const {
    plan_->Enter(method, origin_);
    return *inner_;
  }
  template <class U>
  Handle<U> Wrap(const Handle<U>& object) const {
    return WrapObject(plan_, object, origin_);
  }

 private:
  PlanPtr plan_;
  Handle<T> inner_;
  std::string origin_;
};

// The object below a decorator; any other object as it is.
template <class T>
Handle<T> Unwrap(const Handle<T>& object) {
  if (auto faulty = std::dynamic_pointer_cast<Faulty<T>>(object.shared())) return faulty->Inner();
  return object;
}

class FaultyApplication : public Faulty<Application> {
 public:
  using Faulty::Faulty;
  Handle<HostObject> CreateObject(std::string_view progId) override;
  Handle<Drawing> ActiveDrawing() override { return Wrap(Enter("Application.ActiveDrawing").ActiveDrawing()); }
};

class FaultyBrush : public Faulty<Brush> {
 public:
  using Faulty::Faulty;
  std::string Name() override { return Enter("Brush.Name").Name(); }
};

class FaultyDrawing : public Faulty<Drawing> {
 public:
  using Faulty::Faulty;
  Variant Property(std::string_view name) override { return Enter("Drawing.Property").Property(name); }
  void SetProperty(std::string_view name, const Variant& value) override {
    Enter("Drawing.SetProperty").SetProperty(name, value);
  }
  Handle<Brush> BrushByName(std::string_view name) override {
    return Wrap(Enter("Drawing.BrushByName").BrushByName(name));
  }
  Handle<Graphics> TopGraphics() override { return Wrap(Enter("Drawing.TopGraphics").TopGraphics()); }
  Handle<Application> App() override { return Wrap(Enter("Drawing.App").App()); }
};

class FaultyVertex : public Faulty<Vertex> {
 public:
  using Faulty::Faulty;
  double X() override { return Enter("Vertex.X").X(); }
  double Y() override { return Enter("Vertex.Y").Y(); }
  double Z() override { return Enter("Vertex.Z").Z(); }
  void SetX(double x) override { Enter("Vertex.SetX").SetX(x); }
  void SetY(double y) override { Enter("Vertex.SetY").SetY(y); }
  bool ArcMark() override { return Enter("Vertex.ArcMark").ArcMark(); }
  void SetArcMark(bool mark) override { Enter("Vertex.SetArcMark").SetArcMark(mark); }
};

class FaultyVertices : public Faulty<Vertices> {
 public:
  using Faulty::Faulty;
  void SetEditing(bool on) override { Enter("Vertices.SetEditing").SetEditing(on); }
  Handle<Vertex> Add(double x, double y, double z) override { return Wrap(Enter("Vertices.Add").Add(x, y, z)); }
  int32_t Count() override { return Enter("Vertices.Count").Count(); }
  Handle<Vertex> Item(int32_t index) override { return Wrap(Enter("Vertices.Item").Item(index)); }
};

class FaultyGraphic : public Faulty<Graphic> {
 public:
  using Faulty::Faulty;
  Handle<Application> App() override { return Wrap(Enter("Graphic.App").App()); }
  Handle<Drawing> OwnerDrawing() override { return Wrap(Enter("Graphic.OwnerDrawing").OwnerDrawing()); }
  Handle<Graphics> Children() override { return Wrap(Enter("Graphic.Children").Children()); }
  std::string Name() override { return Enter("Graphic.Name").Name(); }
  void SetName(std::string_view name) override { Enter("Graphic.SetName").SetName(name); }
  std::string Kind() override { return Enter("Graphic.Kind").Kind(); }
  Variant Property(std::string_view name) override { return Enter("Graphic.Property").Property(name); }
  void SetProperty(std::string_view name, const Variant& value) override {
    Enter("Graphic.SetProperty").SetProperty(name, value);
  }
  std::string Layer() override { return Enter("Graphic.Layer").Layer(); }
  void SetLayer(std::string_view layer) override { Enter("Graphic.SetLayer").SetLayer(layer); }
  Handle<Brush> FillBrush() override { return Wrap(Enter("Graphic.FillBrush").FillBrush()); }
  void SetFillBrush(const Handle<Brush>& brush) override {
    Enter("Graphic.SetFillBrush").SetFillBrush(Unwrap(brush));
  }
  BoundingBox Box() override { return Enter("Graphic.Box").Box(); }
  Handle<Vertices> VertexCollection() override { return Wrap(Enter("Graphic.VertexCollection").VertexCollection()); }
  void MoveBy(double dx, double dy, double dz) override { Enter("Graphic.MoveBy").MoveBy(dx, dy, dz); }
  int32_t Index() override { return Enter("Graphic.Index").Index(); }
  void Delete() override { Enter("Graphic.Delete").Delete(); }
  void SetState(int16_t state) override { Enter("Graphic.SetState").SetState(state); }
  void SetClosed(bool closed) override { Enter("Graphic.SetClosed").SetClosed(closed); }
  bool Closed() override { return Enter("Graphic.Closed").Closed(); }
  void SetFlag(bool on) override { Enter("Graphic.SetFlag").SetFlag(on); }
  void Update() override { Enter("Graphic.Update").Update(); }
  void Draw() override { Enter("Graphic.Draw").Draw(); }
  void OpenUpdate() override { Enter("Graphic.OpenUpdate").OpenUpdate(); }
  void CloseUpdate() override { Enter("Graphic.CloseUpdate").CloseUpdate(); }
};

class FaultyGraphics : public Faulty<Graphics> {
 public:
  using Faulty::Faulty;
  Handle<Drawing> OwnerDrawing() override { return Wrap(Enter("Graphics.OwnerDrawing").OwnerDrawing()); }
  int32_t Count() override { return Enter("Graphics.Count").Count(); }
  Handle<Graphic> Item(int32_t index) override { return Wrap(Enter("Graphics.Item").Item(index)); }
  Handle<Graphic> ItemByName(std::string_view name) override {
    return Wrap(Enter("Graphics.ItemByName").ItemByName(name));
  }
  Handle<Graphic> Add(std::string_view type) override { return Wrap(Enter("Graphics.Add").Add(type)); }
  void AddGraphic(const Handle<Graphic>& graphic) override {
    Enter("Graphics.AddGraphic").AddGraphic(Unwrap(graphic));
  }
  Handle<Graphic> AddArcThroughPoints(double x1, double y1, double z1, double x2, double y2, double z2,
                                      double x3, double y3, double z3) override {
    return Wrap(Enter("Graphics.AddArcThroughPoints")
                    .AddArcThroughPoints(x1, y1, z1, x2, y2, z2, x3, y3, z3));
  }
  Handle<Graphic> AddCircleCenterPoint(double cx, double cy, double cz, double px, double py,
                                       double pz) override {
    return Wrap(Enter("Graphics.AddCircleCenterPoint").AddCircleCenterPoint(cx, cy, cz, px, py, pz));
  }
  void Remove(int32_t index) override { Enter("Graphics.Remove").Remove(index); }
  void Operation(int16_t code) override { Enter("Graphics.Operation").Operation(code); }
};

class FaultyGraphicSet : public Faulty<GraphicSet> {
 public:
  using Faulty::Faulty;
  int32_t Count() override { return Enter("GraphicSet.Count").Count(); }
  Handle<Graphic> Item(int32_t index) override { return Wrap(Enter("GraphicSet.Item").Item(index)); }
  void Add(const Handle<Graphic>& graphic) override { Enter("GraphicSet.Add").Add(Unwrap(graphic)); }
  void Finish() override { Enter("GraphicSet.Finish").Finish(); }
};

class FaultyPart : public Faulty<Part> {
 public:
  using Faulty::Faulty;
  int32_t Identifier() override { return Enter("Part.Identifier").Identifier(); }
  Handle<Graphic> PartGraphic() override { return Wrap(Enter("Part.PartGraphic").PartGraphic()); }
};

class FaultyTool : public Faulty<Tool> {
 public:
  using Faulty::Faulty;
  Variant Property(std::string_view key) override { return Enter("Tool.Property").Property(key); }
  void SetProperty(std::string_view key, const Variant& value) override {
    Enter("Tool.SetProperty").SetProperty(key, value);
  }
  bool CanPerform(std::string_view operationType) override {
    return Enter("Tool.CanPerform").CanPerform(operationType);
  }
};

class FaultyToolTable : public Faulty<ToolTable> {
 public:
  using Faulty::Faulty;
  Handle<Tool> ToolByNumber(int32_t number) override {
    return Wrap(Enter("ToolTable.ToolByNumber").ToolByNumber(number));
  }
};

class FaultyBlockSet : public Faulty<BlockSet> {
 public:
  using Faulty::Faulty;
  void Initialize() override { Enter("BlockSet.Initialize").Initialize(); }
  Variant Property(std::string_view key) override { return Enter("BlockSet.Property").Property(key); }
  void SetProperty(std::string_view key, const Variant& value) override {
    Enter("BlockSet.SetProperty").SetProperty(key, value);
  }
  int32_t Index() override { return Enter("BlockSet.Index").Index(); }
  int32_t Identifier() override { return Enter("BlockSet.Identifier").Identifier(); }
  Handle<Graphic> GraphicGroup() override { return Wrap(Enter("BlockSet.GraphicGroup").GraphicGroup()); }
  Handle<Part> OwnerPart() override { return Wrap(Enter("BlockSet.OwnerPart").OwnerPart()); }
  Handle<GraphicSet> ContourSet() override { return Wrap(Enter("BlockSet.ContourSet").ContourSet()); }
  void SetContourSet(const Handle<GraphicSet>& set) override {
    Enter("BlockSet.SetContourSet").SetContourSet(Unwrap(set));
  }
  void AttachTrajectory(const Handle<Graphic>& trajectory) override {
    Enter("BlockSet.AttachTrajectory").AttachTrajectory(Unwrap(trajectory));
  }
  Handle<Graphic> Trajectory() override { return Wrap(Enter("BlockSet.Trajectory").Trajectory()); }
  bool RequestUpdate(bool first, bool second) override {
    return Enter("BlockSet.RequestUpdate").RequestUpdate(first, second);
  }
};

class FaultyDataStore : public Faulty<DataStore> {
 public:
  using Faulty::Faulty;
  Handle<Part> ActivePart() override { return Wrap(Enter("DataStore.ActivePart").ActivePart()); }
  Handle<ToolTable> Tools() override { return Wrap(Enter("DataStore.Tools").Tools()); }
  Variant Setting(std::string_view key) override { return Enter("DataStore.Setting").Setting(key); }
  int32_t BlockSetCount() override { return Enter("DataStore.BlockSetCount").BlockSetCount(); }
  Handle<BlockSet> BlockSetAt(int32_t index) override {
    return Wrap(Enter("DataStore.BlockSetAt").BlockSetAt(index));
  }
};

class FaultyEventsSite : public Faulty<EventsSite> {
 public:
  using Faulty::Faulty;
  void OnDeleteBlockSet(int32_t& blockSetId) override {
    Enter("EventsSite.OnDeleteBlockSet").OnDeleteBlockSet(blockSetId);
  }
};

// The geometry services, every call counted; graphics handed to the converter pass as they are,
// so the calls the converter makes on them count too.
class FaultyGeometryServices : public GeometryServices {
 public:
  FaultyGeometryServices(PlanPtr plan, std::shared_ptr<GeometryServices> inner)
      : plan_(std::move(plan)), inner_(std::move(inner)) {}
  void ConvertGraphic(const Handle<Graphic>& graphic, Contour& target, double& arg1, double& arg2) override {
    Enter("Geometry.ConvertGraphic").ConvertGraphic(graphic, target, arg1, arg2);
  }
  bool Intersect(const Contour& first, const Contour& second, IntersectionResult& result) override {
    return Enter("Geometry.Intersect").Intersect(first, second, result);
  }
  int16_t PointInContour(const Contour& contour, double x, double y) override {
    return Enter("Geometry.PointInContour").PointInContour(contour, x, y);
  }
  bool Offset(const Contour& contour, std::string_view side, double distance, std::string_view mode,
              int16_t flag, ContourList& result) override {
    return Enter("Geometry.Offset").Offset(contour, side, distance, mode, flag, result);
  }
  bool Merge(const Contour& a, const Contour& b, const IntersectionResult& ab, ContourList& result) override {
    return Enter("Geometry.Merge").Merge(a, b, ab, result);
  }
  bool Clip(const Contour& a, const Contour& b, const IntersectionResult& ab, ContourList& result) override {
    return Enter("Geometry.Clip").Clip(a, b, ab, result);
  }
  bool Common(const Contour& a, const Contour& b, const IntersectionResult& ab, ContourList& result) override {
    return Enter("Geometry.Common").Common(a, b, ab, result);
  }

 private:
  GeometryServices& Enter(std::string_view method) {
    plan_->Enter(method, "geometry");
    return *inner_;
  }
  PlanPtr plan_;
  std::shared_ptr<GeometryServices> inner_;
};

// Any object made by ProgID, decorated by the first host interface it has.
inline Handle<HostObject> WrapAnyObject(const PlanPtr& p, const Handle<HostObject>& o, const std::string& origin) {
  if (!o) return nullptr;
  if (auto x = o.As<DataStore>()) return WrapObject(p, x, origin);
  if (auto x = o.As<BlockSet>()) return WrapObject(p, x, origin);
  if (auto x = o.As<Application>()) return WrapObject(p, x, origin);
  if (auto x = o.As<Graphic>()) return WrapObject(p, x, origin);
  if (auto x = o.As<EventsSite>()) return WrapObject(p, x, origin);
  if (auto x = o.As<Drawing>()) return WrapObject(p, x, origin);
  if (auto x = o.As<GraphicSet>()) return WrapObject(p, x, origin);
  return o;
}

inline Handle<HostObject> FaultyApplication::CreateObject(std::string_view progId) {
  Handle<HostObject> object = Enter("Application.CreateObject").CreateObject(progId);
  return WrapAnyObject(Plan(), object, std::string(progId));
}

// An environment over another one: its registry counts each creation as a call and hands out
// decorated objects, its geometry services count every call; the message box and the language
// strings are the other environment's. The inner environment is kept alive by the factories.
inline std::shared_ptr<HostEnvironment> MakeFailingEnvironment(std::shared_ptr<HostEnvironment> inner,
                                                               const PlanPtr& plan) {
  auto env = std::make_shared<HostEnvironment>();
  env->messageBox = inner->messageBox;
  env->languageStrings = inner->languageStrings;
  env->geometry = std::make_shared<FaultyGeometryServices>(plan, inner->geometry);
  for (std::string_view progId :
       {kProgIdDataStore, kProgIdBlockSet, kProgIdApplication, kProgIdGraphic, kProgIdEventsSite}) {
    if (!inner->registry.Knows(progId)) continue;
    env->registry.Register(progId, [inner, plan, id = std::string(progId)] {
      plan->Enter("Registry.Create", id);
      return WrapAnyObject(plan, inner->registry.Create(id), id);
    });
  }
  return env;
}

}  // namespace sulkor::host

#include "host/dxf/dxf_collector.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "contour/records.h"
#include "host/dxf/dxf_colors.h"
#include "host/dxf/dxf_names.h"
#include "kernel/arc_vertices.h"
#include "sulkor/drawing_unit.h"

namespace sulkor::host {
namespace {

constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;
constexpr double kPi = 3.14159265358979323846;

std::string LayerName(std::string_view name) {
  std::string s(name);
  for (char& c : s) {
    if (std::string_view("<>/\\\":;?*|=`").find(c) != std::string_view::npos) c = '_';
  }
  return s;
}

double Angle(Point2 from, Point2 to) {
  double a = std::atan2(to.y - from.y, to.x - from.x) * kRadToDeg;
  if (a < 0.0) a += 360.0;
  return a;
}

// The sweep of an arc from start to end around its centre in its direction, in (0, 2 pi]
// with its sign (negative clockwise); equal ends make a full turn.
double Sweep(Point2 start, Point2 end, Point2 center, int16_t direction) {
  double a = std::atan2(end.y - center.y, end.x - center.x) -
             std::atan2(start.y - center.y, start.x - center.x);
  if (direction > 0) {
    while (a <= 1e-12) a += 2.0 * kPi;
  } else {
    while (a >= -1e-12) a -= 2.0 * kPi;
  }
  return a;
}

class Collector {
 public:
  Collector(Drawing& drawing, const DxfWriteOptions& options)
      : drawing_(drawing), options_(options) {}

  DxfDocument Collect() {
    const bool inch = ReadDrawingUnit(drawing_) == LinearUnit::Inch;
    doc_.insUnits = inch ? kDxfUnitsInch : kDxfUnitsMillimetre;
    doc_.layers = {"0", std::string(kDxfLayerCamOperations)};
    Handle<Graphics> top = drawing_.TopGraphics();
    for (int32_t i = 0; i < top->Count(); ++i) Walk(top->Item(i), "", "");
    return std::move(doc_);
  }

 private:
  // `namedAbove`: the name of the nearest of the three named graphics above, empty outside them.
  void Walk(const Handle<Graphic>& g, const std::string& inherited, const std::string& namedAbove) {
    const std::string name = g->Name();
    const bool named = name == kDxfGroupTrajectory || name == kDxfGroupRemovedMaterial ||
                       name == kDxfGroupLastPartBlank;
    const std::string within = named ? name : namedAbove;
    std::string layer = LayerName(g->Layer());
    if (layer.empty()) layer = inherited;
    if (layer.empty() && !within.empty()) layer = kDxfLayerCamOperations;
    const std::size_t firstEntity = doc_.entities.size();

    Handle<Graphics> children = g->Children();
    if (children->Count() > 0) {
      for (int32_t i = 0; i < children->Count(); ++i) Walk(children->Item(i), layer, within);
    } else {
      if (layer.empty()) layer = name.empty() ? "0" : LayerName(name);
      if (options_.splitLayers && layer == kDxfLayerCamOperations && !within.empty()) {
        SplitLeaf(*g, within);
      } else {
        Leaf(*g, layer);
      }
    }

    if (named && doc_.entities.size() > firstEntity) {
      DxfGroup group;
      group.name = UniqueGroupName(name);
      for (std::size_t i = firstEntity; i < doc_.entities.size(); ++i) {
        group.memberIndices.push_back(i);
      }
      doc_.groups.push_back(std::move(group));
    }
  }

  std::string UniqueGroupName(const std::string& base) {
    std::string name = base;
    for (int n = 2; std::any_of(doc_.groups.begin(), doc_.groups.end(),
                                [&](const DxfGroup& g) { return g.name == name; });
         ++n) {
      name = base + "_" + std::to_string(n);
    }
    return name;
  }

  // A graphic of the named group `within` on its own layer, coloured by that layer.
  void SplitLeaf(Graphic& g, const std::string& within) {
    std::string_view layer = kDxfLayerStock;
    int color = 5;  // blue
    if (within == kDxfGroupTrajectory) {
      const Variant pen = g.Property(kDxfPenColor);
      const bool positioning = !pen.IsEmpty() && NearestAci(FromDrawingColor(pen.ToLong())) == 2;
      layer = positioning ? kDxfLayerPositioning : kDxfLayerCutting;
      color = positioning ? 2 : 1;  // yellow, red
    } else if (within == kDxfGroupRemovedMaterial) {
      layer = kDxfLayerRemovedMaterial;
      color = 3;  // green
    }
    doc_.layerColors[std::string(layer)] = color;
    const std::size_t first = doc_.entities.size();
    Leaf(g, std::string(layer));
    for (std::size_t i = first; i < doc_.entities.size(); ++i) {
      doc_.entities[i].colorIndex = 256;  // by layer
      doc_.entities[i].trueColor = -1;
    }
  }

  DxfEntity Start(Graphic& g, const std::string& layer, DxfType type) {
    if (std::find(doc_.layers.begin(), doc_.layers.end(), layer) == doc_.layers.end()) {
      doc_.layers.push_back(layer);
    }
    DxfEntity e;
    e.type = type;
    e.layer = layer;
    const Variant color = g.Property(kDxfPenColor);
    if (!color.IsEmpty()) {
      const Rgb rgb = FromDrawingColor(color.ToLong());
      e.trueColor = ToTrueColor(rgb);
      e.colorIndex = NearestAci(rgb);
    }
    return e;
  }

  void Leaf(Graphic& g, const std::string& layer) {
    Handle<Vertices> vertices = g.VertexCollection();
    const int32_t n = vertices->Count();
    std::vector<Handle<Vertex>> v;
    for (int32_t i = 0; i < n; ++i) v.push_back(vertices->Item(i));
    auto at = [&](int32_t i) {
      return Point2{v[static_cast<size_t>(i)]->X(), v[static_cast<size_t>(i)]->Y()};
    };
    const std::string kind = g.Kind();
    if (kind == kKindArc && n >= 3) {
      // The centre, where kept, tells a quarter arc from its mirror image.
      const ArcGeometry arc = n >= 4 ? ArcFromCenter(at(0), at(2), at(3))
                                     : ArcFromQuarterAndEnd(at(0), at(2), at(1));
      DxfEntity e = Start(g, layer, DxfType::Arc);
      // A DXF arc runs counterclockwise: a clockwise one is written from its end.
      const Point2 from = arc.direction > 0 ? at(0) : at(1);
      const Point2 to = arc.direction > 0 ? at(1) : at(0);
      e.x1 = arc.center.x;
      e.y1 = arc.center.y;
      e.z = v[0]->Z();
      e.radius = arc.radius;
      e.startAngle = Angle(arc.center, from);
      e.endAngle = Angle(arc.center, to);
      doc_.entities.push_back(std::move(e));
      return;
    }
    if (kind == kKindCircle && n >= 2) {
      DxfEntity e = Start(g, layer, DxfType::Circle);
      e.x1 = at(0).x;
      e.y1 = at(0).y;
      e.z = v[0]->Z();
      e.radius = std::hypot(at(1).x - at(0).x, at(1).y - at(0).y);
      doc_.entities.push_back(std::move(e));
      return;
    }
    if (n < 2) return;
    const bool anyArc = std::any_of(v.begin(), v.end(), [](const Handle<Vertex>& x) {
      return x->ArcMark();
    });
    if (kind.empty() && n == 2 && !anyArc && !g.Closed()) {
      DxfEntity e = Start(g, layer, DxfType::Line);
      e.x1 = at(0).x;
      e.y1 = at(0).y;
      e.x2 = at(1).x;
      e.y2 = at(1).y;
      e.z = v[0]->Z();
      doc_.entities.push_back(std::move(e));
      return;
    }
    DxfEntity e = Start(g, layer, DxfType::Polyline);
    e.z = v[0]->Z();
    e.closed = g.Closed();
    auto marked = [&](int32_t i) { return v[static_cast<size_t>(i)]->ArcMark(); };
    for (int32_t i = 0; i < n;) {
      if (marked(i)) throw HostError("a polyline vertex is arc-marked out of place");
      const Point2 start = at(i);
      if (i + 2 < n && marked(i + 1) && marked(i + 2)) {
        if (i + 3 >= n && !e.closed) throw HostError("a polyline ends inside an arc");
        const Point2 center = at(i + 1);
        const Point2 end = i + 3 < n ? at(i + 3) : at(0);
        const int16_t direction = DirectionFromQuarterPoint(start, at(i + 2), center);
        AddArcVertices(e, start, center, Sweep(start, end, center, direction));
        i += 3;
      } else {
        e.vertices.push_back({start.x, start.y, 0.0});
        i += 1;
      }
    }
    // A closed polyline whose last vertex repeats the first keeps the first only.
    if (e.closed && e.vertices.size() > 1) {
      const DxfVertex& f = e.vertices.front();
      const DxfVertex& l = e.vertices.back();
      if (std::hypot(f.x - l.x, f.y - l.y) < 1e-9) e.vertices.pop_back();
    }
    const bool closed = e.closed;
    doc_.entities.push_back(std::move(e));
    if (closed && g.FillBrush()) AddHatch(g, layer, doc_.entities.back().vertices);
  }

  // The start vertex of an arc and its bulge; more than half a turn is split in two, since a
  // bulge near a full turn loses its precision.
  static void AddArcVertices(DxfEntity& e, Point2 start, Point2 center, double sweep) {
    const int pieces = std::fabs(sweep) > kPi ? 2 : 1;
    const double step = sweep / pieces;
    const double a0 = std::atan2(start.y - center.y, start.x - center.x);
    const double r = std::hypot(start.x - center.x, start.y - center.y);
    for (int k = 0; k < pieces; ++k) {
      const Point2 p = k == 0 ? start
                              : Point2{center.x + r * std::cos(a0 + step * k),
                                       center.y + r * std::sin(a0 + step * k)};
      e.vertices.push_back({p.x, p.y, std::tan(step / 4.0)});
    }
  }

  void AddHatch(Graphic& g, const std::string& layer, std::vector<DxfVertex> boundary) {
    DxfEntity h = Start(g, layer, DxfType::Hatch);
    const std::string brush = g.FillBrush()->Name();
    h.solid = brush == "SOLID";
    h.pattern = h.solid ? "SOLID" : std::string(kDxfHatchPattern);
    const Variant scale = g.Property(kDxfBrushScale);
    h.patternScale = scale.IsEmpty() ? 1.0 : scale.ToDouble();
    if (!(h.patternScale > 0.0)) h.patternScale = 1.0;
    h.loops.push_back({std::move(boundary)});
    doc_.entities.push_back(std::move(h));
  }

  Drawing& drawing_;
  const DxfWriteOptions& options_;
  DxfDocument doc_;
};

}  // namespace

DxfDocument CollectDrawing(Drawing& drawing, const DxfWriteOptions& options) {
  return Collector(drawing, options).Collect();
}

}  // namespace sulkor::host

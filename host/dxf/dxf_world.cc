#include "host/dxf/dxf_world.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/dxf/dxf_error.h"

namespace sulkor::host {
namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr int kMaxNesting = 32;

// x' = a x + b y + tx, y' = c x + d y + ty.
struct Affine {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, tx = 0.0, ty = 0.0;

  void Apply(double& x, double& y) const {
    const double nx = a * x + b * y + tx;
    y = c * x + d * y + ty;
    x = nx;
  }
  double Det() const { return a * d - b * c; }
  // Turns circles into circles: the columns are perpendicular and of equal length.
  bool Conformal() const {
    const double s1 = std::hypot(a, c), s2 = std::hypot(b, d);
    return std::fabs(s1 - s2) <= 1e-9 * std::max(s1, s2) &&
           std::fabs(a * b + c * d) <= 1e-9 * s1 * s2;
  }
  double Scale() const { return std::hypot(a, c); }
};

// first applied after second.
Affine Compose(const Affine& first, const Affine& second) {
  return {first.a * second.a + first.b * second.c,  first.a * second.b + first.b * second.d,
          first.c * second.a + first.d * second.c,  first.c * second.b + first.d * second.d,
          first.a * second.tx + first.b * second.ty + first.tx,
          first.c * second.tx + first.d * second.ty + first.ty};
}

Affine Scaling(double sx, double sy) { return {sx, 0.0, 0.0, sy, 0.0, 0.0}; }
Affine Translation(double x, double y) { return {1.0, 0.0, 0.0, 1.0, x, y}; }
Affine Rotation(double degrees) {
  const double r = degrees * kDegToRad;
  return {std::cos(r), -std::sin(r), std::sin(r), std::cos(r), 0.0, 0.0};
}

std::string Named(const DxfEntity& e) {
  std::string s = e.typeName.empty() ? std::string("entity") : e.typeName;
  if (!e.handle.empty()) s += " (handle " + e.handle + ")";
  return s + " on layer \"" + e.layer + "\"";
}

class Placer {
 public:
  Placer(DxfDocument& doc, std::string_view file) : doc_(doc), file_(file) {}

  void Run() {
    const Affine units = Units();
    std::vector<DxfEntity> world;
    for (const DxfEntity& e : doc_.entities) Place(e, units, "", 0, world);
    doc_.entities = std::move(world);
    doc_.blocks.clear();
  }

 private:
  Affine Units() {
    doc_.fileInsUnits = doc_.insUnits;
    switch (doc_.insUnits) {
      case 0:
      case 1:
      case 4: return {};
      case 2: doc_.insUnits = 1; return Scaling(12.0, 12.0);
      case 5: doc_.insUnits = 4; return Scaling(10.0, 10.0);
      case 6: doc_.insUnits = 4; return Scaling(1000.0, 1000.0);
      default: break;
    }
    static constexpr const char* kNames[] = {
        "unitless", "inches", "feet", "miles", "millimetres", "centimetres", "metres",
        "kilometres", "microinches", "mils", "yards", "angstroms", "nanometres", "microns",
        "decimetres", "decametres", "hectometres", "gigametres", "astronomical units",
        "light years", "parsecs"};
    const int u = doc_.insUnits;
    const std::string name = u >= 0 && u <= 20 ? kNames[u] : "an unknown unit";
    ThrowDxfError(file_, 0, "$INSUNITS " + std::to_string(u) + " (" + name +
                                ") is not read: save the drawing in mm, cm, m, in or ft");
  }

  // The object coordinate system of an entity, for the extrusions a plane drawing can have.
  Affine Ocs(const DxfEntity& e) const {
    const double n = std::sqrt(e.extrusionX * e.extrusionX + e.extrusionY * e.extrusionY +
                               e.extrusionZ * e.extrusionZ);
    if (n > 0.0 && std::fabs(e.extrusionX) <= 1e-9 * n && std::fabs(e.extrusionY) <= 1e-9 * n) {
      // The arbitrary-axis rule gives the x axis (-1, 0, 0) for the extrusion (0, 0, -1).
      return e.extrusionZ > 0.0 ? Affine{} : Scaling(-1.0, 1.0);
    }
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", e.extrusionX, e.extrusionY, e.extrusionZ);
    ThrowDxfError(file_, e.line, Named(e) + " lies in a plane with extrusion " + text +
                                     ", not in the drawing's plane");
  }

  void Place(const DxfEntity& source, const Affine& parent, const std::string& insertLayer,
             int depth, std::vector<DxfEntity>& out) {
    DxfEntity e = source;
    if (!insertLayer.empty() && e.layer == "0") e.layer = insertLayer;
    switch (e.type) {
      case DxfType::Line:  // LINE coordinates are world coordinates already
        parent.Apply(e.x1, e.y1);
        parent.Apply(e.x2, e.y2);
        break;
      case DxfType::Arc:
      case DxfType::Circle: PlaceArc(e, Compose(parent, Ocs(e))); break;
      case DxfType::Polyline: {
        const Affine t = Compose(parent, Ocs(e));
        const bool arcs = std::any_of(e.vertices.begin(), e.vertices.end(),
                                      [](const DxfVertex& v) { return v.bulge != 0.0; });
        if (arcs) RequireConformal(e, t);
        for (DxfVertex& v : e.vertices) {
          t.Apply(v.x, v.y);
          if (t.Det() < 0.0) v.bulge = -v.bulge;  // a mirror turns the arcs round
        }
        break;
      }
      case DxfType::Hatch:
        if (depth > 0) return;  // only an earlier run's own hatches are read back
        break;
      case DxfType::Unsupported: break;
      case DxfType::Insert: {
        const auto block = doc_.blocks.find(e.block);
        if (block == doc_.blocks.end()) {
          ThrowDxfError(file_, e.line, Named(e) + " refers to block \"" + e.block +
                                           "\", which the file does not define");
        }
        if (depth >= kMaxNesting) {
          ThrowDxfError(file_, e.line, Named(e) + ": block \"" + e.block +
                                           "\" is nested too deep or inserts itself");
        }
        Affine t = Compose(parent, Ocs(e));
        t = Compose(t, Translation(e.x1, e.y1));
        t = Compose(t, Rotation(e.rotation));
        t = Compose(t, Scaling(e.scaleX, e.scaleY));
        t = Compose(t, Translation(-block->second.baseX, -block->second.baseY));
        for (const DxfEntity& child : block->second.entities) {
          Place(child, t, e.layer, depth + 1, out);
        }
        return;
      }
    }
    e.extrusionX = e.extrusionY = 0.0;
    e.extrusionZ = 1.0;
    out.push_back(std::move(e));
  }

  void RequireConformal(const DxfEntity& e, const Affine& t) const {
    if (!t.Conformal()) {
      ThrowDxfError(file_, e.line, Named(e) + " holds arcs in a block scaled unevenly: "
                                             "they would be ellipses");
    }
  }

  void PlaceArc(DxfEntity& e, const Affine& t) const {
    RequireConformal(e, t);
    double sx = e.x1 + e.radius * std::cos(e.startAngle * kDegToRad);
    double sy = e.y1 + e.radius * std::sin(e.startAngle * kDegToRad);
    double ex = e.x1 + e.radius * std::cos(e.endAngle * kDegToRad);
    double ey = e.y1 + e.radius * std::sin(e.endAngle * kDegToRad);
    t.Apply(e.x1, e.y1);
    t.Apply(sx, sy);
    t.Apply(ex, ey);
    e.radius *= t.Scale();
    if (e.type == DxfType::Circle) return;
    if (t.Det() < 0.0) {  // a mirrored arc runs clockwise: it starts where it ended
      std::swap(sx, ex);
      std::swap(sy, ey);
    }
    const double sweep = std::fmod(e.endAngle - e.startAngle + 720.0, 360.0);
    e.startAngle = std::atan2(sy - e.y1, sx - e.x1) / kDegToRad;
    // The sweep is kept as read, so that a full or tiny arc does not flip over rounding.
    e.endAngle = e.startAngle + sweep;
  }

  DxfDocument& doc_;
  std::string_view file_;
};

}  // namespace

void ToWorldEntities(DxfDocument& doc, std::string_view file) { Placer(doc, file).Run(); }

}  // namespace sulkor::host

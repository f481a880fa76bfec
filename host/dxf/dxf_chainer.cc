#include "host/dxf/dxf_chainer.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "geometry/segment_build.h"
#include "host/dxf/dxf_colors.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_names.h"
#include "host/memory/scene.h"

namespace sulkor::host {
namespace {

constexpr double kJoinGap = 1e-6;
constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr double kTiny = 1e-9;

bool Near(const Point3& a, const Point3& b) {
  return std::hypot(a.x - b.x, a.y - b.y) <= kJoinGap;
}

std::string PointText(const Point3& p) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "(%.6g, %.6g)", p.x, p.y);
  return buffer;
}

Segment Reversed(const Segment& s) {
  if (s.IsArc()) {
    return MakeArc(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y, s.Center.x, s.Center.y,
                   static_cast<int16_t>(-s.Direction));
  }
  return MakeLine(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y);
}

Contour Reversed(const Contour& c) {
  Contour r;
  for (auto it = c.Segs.rbegin(); it != c.Segs.rend(); ++it) r.Segs.push_back(Reversed(*it));
  return r;
}

struct Piece {
  Contour contour;
  const DxfEntity* source = nullptr;
  bool used = false;
};

struct Chain {
  Contour contour;
  const DxfEntity* first = nullptr;
  bool circle = false;
  bool Closed() const {
    return circle || Near(contour.First().StartPt, contour.Last().EndPt);
  }
};

Segment ArcOfEntity(const DxfEntity& e) {
  const double a0 = e.startAngle * kDegToRad, a1 = e.endAngle * kDegToRad;
  return MakeArc(e.x1 + e.radius * std::cos(a0), e.y1 + e.radius * std::sin(a0),
                 e.x1 + e.radius * std::cos(a1), e.y1 + e.radius * std::sin(a1), e.x1, e.y1, 1);
}

// The piece an entity makes; empty for a zero-length line or polyline.
Contour PieceOf(const DxfEntity& e) {
  switch (e.type) {
    case DxfType::Line:
      if (std::hypot(e.x2 - e.x1, e.y2 - e.y1) <= kTiny) return {};
      return MakeContour({MakeLine(e.x1, e.y1, e.x2, e.y2)});
    case DxfType::Arc: return MakeContour({ArcOfEntity(e)});
    case DxfType::Circle: return MakeContour({MakeCircle(e.x1, e.y1, e.radius)});
    case DxfType::Polyline: return PolylineContour(e.vertices, e.closed);
    case DxfType::Hatch: break;
  }
  return {};
}

// Chains the pieces in file order: each chain grows from its end, then from its start.
std::vector<Chain> ChainPieces(std::vector<Piece>& pieces) {
  std::vector<Chain> chains;
  for (Piece& seed : pieces) {
    if (seed.used) continue;
    seed.used = true;
    Chain chain{seed.contour, seed.source, seed.contour.First().IsCircle()};
    if (chain.circle) {
      chains.push_back(std::move(chain));
      continue;
    }
    for (int end = 0; end < 2; ++end) {
      bool grew = true;
      while (grew && !chain.Closed()) {
        grew = false;
        for (Piece& p : pieces) {
          if (p.used || p.contour.First().IsCircle()) continue;
          std::vector<Segment>& segs = chain.contour.Segs;
          if (end == 0) {
            const Point3 tip = chain.contour.Last().EndPt;
            const Contour next = Near(p.contour.First().StartPt, tip) ? p.contour
                                 : Near(p.contour.Last().EndPt, tip) ? Reversed(p.contour)
                                                                     : Contour{};
            if (next.Empty()) continue;
            segs.insert(segs.end(), next.Segs.begin(), next.Segs.end());
          } else {
            const Point3 tip = chain.contour.First().StartPt;
            const Contour prev = Near(p.contour.Last().EndPt, tip) ? p.contour
                                 : Near(p.contour.First().StartPt, tip) ? Reversed(p.contour)
                                                                        : Contour{};
            if (prev.Empty()) continue;
            segs.insert(segs.begin(), prev.Segs.begin(), prev.Segs.end());
          }
          p.used = true;
          grew = true;
          break;
        }
      }
    }
    chains.push_back(std::move(chain));
  }
  return chains;
}

void SetColor(Graphic& g, const DxfEntity& e) {
  if (e.trueColor >= 0) {
    g.SetProperty(kDxfPenColor, Variant(ToDrawingColor(FromTrueColor(e.trueColor))));
  } else if (e.colorIndex >= 1 && e.colorIndex <= 255) {
    g.SetProperty(kDxfPenColor, Variant(ToDrawingColor(AciColor(e.colorIndex))));
  }
}

Handle<Graphic> AddChain(Graphics& top, const Chain& chain, std::string_view name,
                         const std::string& layer) {
  Handle<Graphic> g;
  if (chain.circle) {
    const Segment& c = chain.contour.First();
    g = top.AddCircleCenterPoint(c.Center.x, c.Center.y, 0.0, c.Center.x + c.Radius, c.Center.y,
                                 0.0);
    g->SetName(name);
  } else {
    Contour contour = chain.contour;
    if (chain.Closed()) {  // meet exactly where the chain closes within the gap
      Segment& last = contour.Segs.back();
      last.EndPt = contour.First().StartPt;
      RefreshSegment(last);
    }
    g = AddContourPolyline(top, contour, name);
    if (chain.Closed()) g->SetClosed(true);
  }
  g->SetLayer(layer);
  SetColor(*g, *chain.first);
  return g;
}

// The graphics of the groups an earlier run wrote on "CAMOperations".
void AddCamGroups(const DxfDocument& doc, Drawing& drawing) {
  std::map<std::string, const DxfEntity*> byHandle;
  for (const DxfEntity& e : doc.entities) {
    if (!e.handle.empty()) byHandle[e.handle] = &e;
  }
  Handle<Graphics> top = drawing.TopGraphics();
  for (const DxfGroup& group : doc.groups) {
    auto is = [&](std::string_view base) {
      return group.name == base || group.name.rfind(std::string(base) + "_", 0) == 0;
    };
    std::vector<const DxfEntity*> members;
    for (const std::string& h : group.members) {
      auto it = byHandle.find(h);
      if (it != byHandle.end()) members.push_back(it->second);
    }
    if (is(kDxfGroupTrajectory)) {
      Handle<Graphic> trajectory = top->Add();
      trajectory->SetName(kDxfGroupTrajectory);
      trajectory->SetLayer(kDxfLayerCamOperations);
      Handle<Graphics> children = trajectory->Children();
      for (const DxfEntity* e : members) {
        Handle<Graphic> child;
        if (e->type == DxfType::Line) {
          child = children->Add();
          Handle<Vertices> v = child->VertexCollection();
          v->SetEditing(true);
          v->Add(e->x1, e->y1, e->z);
          v->Add(e->x2, e->y2, e->z);
        } else if (e->type == DxfType::Arc) {
          const Segment a = ArcOfEntity(*e);
          child = children->AddArcThroughPoints(a.StartPt.x, a.StartPt.y, 0.0, a.MidPt.x,
                                                a.MidPt.y, 0.0, a.EndPt.x, a.EndPt.y, 0.0);
          child->MoveBy(0.0, 0.0, e->z);
        } else if (e->type == DxfType::Circle) {
          child = children->AddCircleCenterPoint(e->x1, e->y1, 0.0, e->x1 + e->radius, e->y1,
                                                 0.0);
          child->MoveBy(0.0, 0.0, e->z);
        } else {
          continue;
        }
        SetColor(*child, *e);
      }
      continue;
    }
    const bool removed = is(kDxfGroupRemovedMaterial);
    if (!removed && !is(kDxfGroupLastPartBlank)) continue;
    Handle<Graphic> outline;
    const DxfEntity* hatch = nullptr;
    for (const DxfEntity* e : members) {
      if (e->type == DxfType::Hatch) hatch = e;
      if (e->type != DxfType::Polyline || outline) continue;
      Chain chain{PolylineContour(e->vertices, e->closed), e, false};
      if (chain.contour.Empty()) continue;
      outline = AddChain(*top, chain,
                         removed ? kDxfGroupRemovedMaterial : kDxfGroupLastPartBlank, e->layer);
    }
    if (outline && hatch) {
      outline->SetFillBrush(drawing.BrushByName(hatch->pattern));
      outline->SetProperty(kDxfBrushScale, Variant(hatch->patternScale));
    }
  }
}

}  // namespace

Contour PolylineContour(const std::vector<DxfVertex>& vertices, bool closed) {
  Contour c;
  const size_t n = vertices.size();
  const size_t count = closed ? n : (n == 0 ? 0 : n - 1);
  for (size_t i = 0; i < count; ++i) {
    const DxfVertex& a = vertices[i];
    const DxfVertex& b = vertices[(i + 1) % n];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    if (chord <= kTiny) continue;
    if (std::fabs(a.bulge) <= 1e-12) {
      c.Segs.push_back(MakeLine(a.x, a.y, b.x, b.y));
      continue;
    }
    // The centre lies on the chord's perpendicular bisector, (1 - b^2) / (4 b) chords to the
    // left of its middle (to the right for more than half a turn).
    const double k = (1.0 - a.bulge * a.bulge) / (4.0 * a.bulge);
    const double cx = (a.x + b.x) / 2.0 - k * dy, cy = (a.y + b.y) / 2.0 + k * dx;
    c.Segs.push_back(MakeArc(a.x, a.y, b.x, b.y, cx, cy, a.bulge > 0.0 ? 1 : -1));
  }
  return c;
}

void AddDxfToDrawing(const DxfDocument& doc, std::string_view file, Drawing& drawing) {
  // Pieces by layer, layers in order of first appearance.
  std::vector<std::string> order;
  std::map<std::string, std::vector<Piece>> byLayer;
  for (const DxfEntity& e : doc.entities) {
    if (e.layer == kDxfLayerCamOperations || e.type == DxfType::Hatch) continue;
    Contour piece = PieceOf(e);
    if (piece.Empty()) continue;
    if (!byLayer.contains(e.layer)) order.push_back(e.layer);
    byLayer[e.layer].push_back({std::move(piece), &e, false});
  }
  if (!byLayer.contains(std::string(kDxfLayerWorkContour))) {
    ThrowDxfError(file, 0, "no entities on layer \"WorkContour\"");
  }

  // Check everything before the drawing changes, so that a bad file adds nothing.
  std::map<std::string, std::vector<Chain>> chains;
  for (const std::string& layer : order) {
    std::vector<Chain> c = ChainPieces(byLayer[layer]);
    const bool single = layer == kDxfLayerWorkContour || layer == kDxfLayerLastPartBlank;
    if (single && c.size() != 1) {
      ThrowDxfError(file, 0, "the entities on layer \"" + layer + "\" form " +
                                 std::to_string(c.size()) + " separate chains instead of one");
    }
    if (layer != kDxfLayerWorkContour && layer != kDxfLayerData) {
      for (const Chain& chain : c) {
        if (!chain.Closed()) {
          ThrowDxfError(file, chain.first->line,
                        "the outline on layer \"" + layer + "\" is not closed: it runs from " +
                            PointText(chain.contour.First().StartPt) + " to " +
                            PointText(chain.contour.Last().EndPt));
        }
      }
    }
    chains[layer] = std::move(c);
  }

  if (doc.insUnits == kDxfUnitsInch) drawing.SetProperty(kDxfUnitProperty, Variant(kUnitInch));
  if (doc.insUnits == kDxfUnitsMillimetre) {
    drawing.SetProperty(kDxfUnitProperty, Variant(kUnitMillimetre));
  }
  Handle<Graphics> top = drawing.TopGraphics();
  for (const std::string& layer : order) {
    for (const Chain& chain : chains[layer]) AddChain(*top, chain, layer, layer);
  }
  AddCamGroups(doc, drawing);
}

}  // namespace sulkor::host

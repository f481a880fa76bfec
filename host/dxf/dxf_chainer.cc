#include "host/dxf/dxf_chainer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "contour/segment_build.h"
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
  std::size_t pieces = 1;
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
    case DxfType::Hatch:
    case DxfType::Insert:
    case DxfType::Unsupported: break;
  }
  return {};
}

// The pieces' ends by cell of a grid ten times coarser than the join gap: two ends within the
// gap lie in the same or neighbouring cells, so finding the pieces that meet a point looks at
// nine cells instead of every piece.
class EndIndex {
 public:
  explicit EndIndex(const std::vector<Piece>& pieces) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      const Contour& c = pieces[i].contour;
      if (c.First().IsCircle()) continue;
      Add(c.First().StartPt, i);
      Add(c.Last().EndPt, i);
    }
  }

  // The first piece in file order, not yet used, with an end within the join gap of `tip`;
  // pieces.size() when there is none.
  std::size_t FirstMeeting(const std::vector<Piece>& pieces, const Point3& tip) const {
    std::size_t best = pieces.size();
    const int64_t cx = Cell(tip.x), cy = Cell(tip.y);
    for (int64_t dx = -1; dx <= 1; ++dx) {
      for (int64_t dy = -1; dy <= 1; ++dy) {
        const auto it = cells_.find(Key(cx + dx, cy + dy));
        if (it == cells_.end()) continue;
        for (std::size_t i : it->second) {
          if (i >= best || pieces[i].used) continue;
          const Contour& c = pieces[i].contour;
          if (Near(c.First().StartPt, tip) || Near(c.Last().EndPt, tip)) best = i;
        }
      }
    }
    return best;
  }

 private:
  static constexpr double kCell = 10.0 * kJoinGap;

  static int64_t Cell(double v) {
    // Coordinates beyond any drawing share the outermost cells; the distance test decides.
    return static_cast<int64_t>(std::clamp(std::floor(v / kCell), -1e15, 1e15));
  }
  static uint64_t Key(int64_t x, int64_t y) {
    return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y);
  }
  void Add(const Point3& p, std::size_t i) {
    std::vector<std::size_t>& cell = cells_[Key(Cell(p.x), Cell(p.y))];
    if (cell.empty() || cell.back() != i) cell.push_back(i);
  }

  std::unordered_map<uint64_t, std::vector<std::size_t>> cells_;
};

// Chains the pieces in file order: each chain grows from its end, then from its start, each
// time by the first unused piece in file order that meets its tip.
std::vector<Chain> ChainPieces(std::vector<Piece>& pieces) {
  const EndIndex ends(pieces);
  std::vector<Chain> chains;
  for (Piece& seed : pieces) {
    if (seed.used) continue;
    seed.used = true;
    Chain chain{seed.contour, seed.source, seed.contour.First().IsCircle()};
    if (chain.circle) {
      chains.push_back(std::move(chain));
      continue;
    }
    std::vector<Segment>& segs = chain.contour.Segs;
    // Grown at the end first; the pieces found for the start are kept apart, nearest first,
    // and put in front once, so that growing a long chain backwards stays linear.
    std::vector<Segment> front;
    Point3 first = segs.front().StartPt;
    const auto closed = [&] { return Near(first, segs.back().EndPt); };
    for (int end = 0; end < 2; ++end) {
      while (!closed()) {
        const Point3 tip = end == 0 ? segs.back().EndPt : first;
        const std::size_t k = ends.FirstMeeting(pieces, tip);
        if (k == pieces.size()) break;
        Piece& p = pieces[k];
        const Contour& c = p.contour;
        if (end == 0) {
          const Contour next = Near(c.First().StartPt, tip) ? c : Reversed(c);
          segs.insert(segs.end(), next.Segs.begin(), next.Segs.end());
        } else {
          const Contour prev = Near(c.Last().EndPt, tip) ? c : Reversed(c);
          front.insert(front.end(), prev.Segs.rbegin(), prev.Segs.rend());
          first = prev.First().StartPt;
        }
        p.used = true;
        ++chain.pieces;
      }
    }
    if (!front.empty()) {
      std::reverse(front.begin(), front.end());
      front.insert(front.end(), segs.begin(), segs.end());
      segs = std::move(front);
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

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The layer an entity's role is read from: the reserved layers whatever their case, CAD
// programs treating "WORKCONTOUR" and "WorkContour" as one layer.
std::string RoleLayer(const std::string& layer) {
  // An earlier run's output written on layers of its own.
  if (layer.size() > kDxfCamLayerPrefix.size() &&
      SameName(std::string_view(layer).substr(0, kDxfCamLayerPrefix.size()), kDxfCamLayerPrefix)) {
    return std::string(kDxfLayerCamOperations);
  }
  for (std::string_view reserved : {kDxfLayerWorkContour, kDxfLayerLastPartBlank, kDxfLayerData,
                                    kDxfLayerCamOperations}) {
    if (SameName(layer, reserved)) return std::string(reserved);
  }
  return layer;
}

bool Reserved(const std::string& layer) {
  return layer == kDxfLayerWorkContour || layer == kDxfLayerLastPartBlank ||
         layer == kDxfLayerData || layer == kDxfLayerCamOperations;
}

// The chain's extents: its ends, and its arcs followed a degree at a time (within 2e-4 of the
// radius, plenty for telling which outline a chain reaches).
void Extend(DxfChainInfo& info, const Contour& c) {
  info.minX = info.minY = 1e300;
  info.maxX = info.maxY = -1e300;
  const auto add = [&](double x, double y) {
    info.minX = std::min(info.minX, x);
    info.minY = std::min(info.minY, y);
    info.maxX = std::max(info.maxX, x);
    info.maxY = std::max(info.maxY, y);
  };
  for (const Segment& s : c.Segs) {
    if (s.IsCircle()) {
      add(s.Center.x - s.Radius, s.Center.y - s.Radius);
      add(s.Center.x + s.Radius, s.Center.y + s.Radius);
      continue;
    }
    add(s.StartPt.x, s.StartPt.y);
    add(s.EndPt.x, s.EndPt.y);
    if (!s.IsArc()) continue;
    const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
    double sweep = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x) - a0;
    if (s.Direction > 0) {
      while (sweep <= 0.0) sweep += 2.0 * kDegToRad * 180.0;
    } else {
      while (sweep >= 0.0) sweep -= 2.0 * kDegToRad * 180.0;
    }
    const int steps = static_cast<int>(std::fabs(sweep) / kDegToRad) + 1;
    for (int k = 1; k < steps; ++k) {
      const double a = a0 + sweep * k / steps;
      add(s.Center.x + s.Radius * std::cos(a), s.Center.y + s.Radius * std::sin(a));
    }
  }
}

bool Overlap(const DxfChainInfo& a, const DxfChainInfo& b) {
  return a.minX <= b.maxX + kJoinGap && b.minX <= a.maxX + kJoinGap &&
         a.minY <= b.maxY + kJoinGap && b.minY <= a.maxY + kJoinGap;
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::string_view ChainRoleName(DxfChainRole role) {
  switch (role) {
    case DxfChainRole::WorkContour: return "work contour";
    case DxfChainRole::LastPartBlank: return "stock of an earlier operation";
    case DxfChainRole::Data: return "part data";
    case DxfChainRole::Blank: return "part blank";
    case DxfChainRole::Ignored: return "left out";
  }
  return "";
}

DxfLayout PlanDxf(const DxfDocument& doc, const DxfImportOptions& options) {
  DxfLayout layout;
  layout.insUnits = doc.insUnits;
  layout.fileInsUnits = doc.fileInsUnits;
  // Pieces by layer, layers in order of first appearance; names compared without case.
  std::vector<std::string> order;
  std::map<std::string, std::vector<Piece>> byLayer;
  std::map<std::string, std::string> spelling;  // lower case -> the first spelling met
  const auto layerOf = [&](const std::string& raw) {
    const std::string role = RoleLayer(raw);
    if (Reserved(role)) return role;
    std::string key = raw;
    for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return spelling.try_emplace(key, raw).first->second;
  };
  std::map<std::string, std::vector<const DxfEntity*>> unsupported;
  for (const DxfEntity& e : doc.entities) {
    const std::string layer = layerOf(e.layer);
    auto counted = std::find_if(layout.layers.begin(), layout.layers.end(),
                                [&](const DxfLayerCount& l) { return l.name == layer; });
    if (counted == layout.layers.end()) {
      layout.layers.push_back({layer, 0});
      counted = std::prev(layout.layers.end());
    }
    ++counted->entities;
    if (layer == kDxfLayerCamOperations || e.type == DxfType::Hatch) continue;
    if (e.type == DxfType::Unsupported) {
      unsupported[layer].push_back(&e);
      continue;
    }
    Contour piece = PieceOf(e);
    if (piece.Empty()) continue;
    if (!byLayer.contains(layer)) order.push_back(layer);
    byLayer[layer].push_back({std::move(piece), &e, false});
  }

  const auto problem = [&](int line, std::string text) {
    if (layout.problem.empty()) {
      layout.problem = std::move(text);
      layout.problemLine = line;
    }
  };
  const auto curveProblem = [&](const std::string& layer) {
    auto it = unsupported.find(layer);
    if (it == unsupported.end()) return;
    const DxfEntity& e = *it->second.front();
    problem(e.line, e.typeName + (e.handle.empty() ? "" : " (handle " + e.handle + ")") +
                        " on layer \"" + layer + "\" is not read: draw the outline with lines, "
                        "arcs and polylines");
  };

  for (const std::string& layer : order) {
    for (Chain& chain : ChainPieces(byLayer[layer])) {
      DxfChainInfo info;
      info.layer = layer;
      info.closed = chain.Closed();
      info.firstLine = chain.first->line;
      info.pieces = static_cast<int>(chain.pieces);
      Extend(info, chain.contour);
      info.role = layer == kDxfLayerWorkContour     ? DxfChainRole::WorkContour
                  : layer == kDxfLayerLastPartBlank ? DxfChainRole::LastPartBlank
                  : layer == kDxfLayerData          ? DxfChainRole::Data
                                                    : DxfChainRole::Ignored;
      layout.chains.push_back(std::move(info));
      layout.contours.push_back({std::move(chain.contour), chain.first, chain.circle});
    }
  }
  for (std::string_view single : {kDxfLayerWorkContour, kDxfLayerLastPartBlank}) {
    curveProblem(std::string(single));
    const auto n = std::count_if(layout.chains.begin(), layout.chains.end(),
                                 [&](const DxfChainInfo& c) { return c.layer == single; });
    if (n > 1) {
      problem(0, "the entities on layer \"" + std::string(single) + "\" form " +
                     std::to_string(n) + " separate chains instead of one");
    }
  }
  if (!byLayer.contains(std::string(kDxfLayerWorkContour)) &&
      !unsupported.contains(std::string(kDxfLayerWorkContour))) {
    problem(0, "no entities on layer \"WorkContour\"");
  }

  // The part blank: the closed chain on the layer named, else the one closed chain on a layer
  // of its own, else the closed chains that reach the work contour.
  const DxfChainInfo* work = nullptr;
  for (const DxfChainInfo& c : layout.chains) {
    if (c.role == DxfChainRole::WorkContour) work = &c;
  }
  std::vector<std::size_t> candidates;
  std::optional<std::size_t> firstOpen;
  for (std::size_t i = 0; i < layout.chains.size(); ++i) {
    const DxfChainInfo& c = layout.chains[i];
    if (Reserved(c.layer)) continue;
    if (!options.blankLayer.empty() && !SameName(c.layer, options.blankLayer)) continue;
    if (c.closed) {
      candidates.push_back(i);
    } else if (!firstOpen) {
      firstOpen = i;
    }
  }
  if (candidates.size() > 1 && work) {
    std::vector<std::size_t> touching;
    for (std::size_t i : candidates) {
      if (Overlap(layout.chains[i], *work)) touching.push_back(i);
    }
    if (!touching.empty()) candidates = touching;
  }
  if (candidates.empty() && firstOpen) {
    const DxfChainInfo& open = layout.chains[*firstOpen];
    const Contour& c = layout.contours[*firstOpen].contour;
    problem(open.firstLine, "the outline on layer \"" + open.layer +
                                "\" is not closed: it runs from " + PointText(c.First().StartPt) +
                                " to " + PointText(c.Last().EndPt));
  } else if (candidates.empty() && !options.blankLayer.empty()) {
    problem(0, "no closed outline on layer \"" + options.blankLayer + "\" (--blank-layer)");
  } else if (candidates.size() > 1) {
    std::string layers;
    for (std::size_t i : candidates) {
      layers += (layers.empty() ? "\"" : ", \"") + layout.chains[i].layer + "\"";
    }
    problem(0, std::to_string(candidates.size()) + " closed outlines could be the part blank (on " +
                   layers + "): name its layer with --blank-layer");
  } else if (candidates.size() == 1) {
    DxfChainInfo& blank = layout.chains[candidates.front()];
    blank.role = DxfChainRole::Blank;
    curveProblem(blank.layer);
  }

  // What is left out, said once per layer.
  std::map<std::string, std::pair<std::size_t, std::size_t>> left;  // layer -> (open, closed)
  for (const DxfChainInfo& c : layout.chains) {
    if (c.role != DxfChainRole::Ignored) continue;
    auto& n = left[c.layer];
    (c.closed ? n.second : n.first) += 1;
  }
  for (const auto& [layer, n] : left) {
    std::string what;
    if (n.first > 0) what = Count(n.first, "open chain", "open chains");
    if (n.second > 0) {
      what += (what.empty() ? "" : " and ") + Count(n.second, "closed outline", "closed outlines");
    }
    layout.notes.push_back("layer \"" + layer + "\": " + what + " left out (not the part blank)");
  }
  for (const auto& [layer, curves] : unsupported) {
    if (Reserved(layer)) continue;
    layout.notes.push_back("layer \"" + layer + "\": " +
                           Count(curves.size(), "spline or ellipse", "splines or ellipses") +
                           " left out");
  }
  return layout;
}

std::vector<std::string> AddDxfToDrawing(const DxfDocument& doc, std::string_view file,
                                         Drawing& drawing, const DxfImportOptions& options) {
  // Everything is checked before the drawing changes, so that a bad file adds nothing.
  DxfLayout layout = PlanDxf(doc, options);
  if (!layout.problem.empty()) ThrowDxfError(file, layout.problemLine, layout.problem);

  if (doc.insUnits == kDxfUnitsInch) drawing.SetProperty(kLinearUnitName, Variant(kUnitInch));
  if (doc.insUnits == kDxfUnitsMillimetre) {
    drawing.SetProperty(kLinearUnitName, Variant(kUnitMillimetre));
  }
  Handle<Graphics> top = drawing.TopGraphics();
  Handle<Graphic> leftOut;
  for (std::size_t i = 0; i < layout.chains.size(); ++i) {
    const DxfChainInfo& info = layout.chains[i];
    const LaidChain& laid = layout.contours[i];
    const Chain chain{laid.contour, laid.first, laid.circle};
    if (info.role != DxfChainRole::Ignored) {
      AddChain(*top, chain, info.layer, info.layer);
      continue;
    }
    // Kept for the drawing written after the run, in a group that no role is read from.
    if (!leftOut) {
      leftOut = top->Add();
      leftOut->SetName(kDxfGroupLeftOut);
    }
    AddChain(*leftOut->Children(), chain, info.layer, info.layer);
  }
  AddCamGroups(doc, drawing);
  return std::move(layout.notes);
}

}  // namespace sulkor::host

#include "testing/groove_catalogue.h"

#include <cmath>
#include <numbers>
#include <string>

namespace sulkor::testing {
namespace {

using Profile = std::vector<Drawn>;

const double kTan15 = std::tan(15.0 * std::numbers::pi / 180.0);
const double kTan30 = std::tan(30.0 * std::numbers::pi / 180.0);

// Rectangular, `width` wide and `depth` deep, its bottom corners rounded.
Profile Rect(double width, double depth, double fillet = 0.0, double above = 1.0) {
  return {{-width / 2, -above}, {-width / 2, depth, fillet}, {width / 2, depth, fillet},
          {width / 2, -above}};
}

// An O-ring gland: `width` wide at the bottom, `depth` deep, bottom radius, 45 degree mouth
// chamfers of `chamfer`.
Profile Gland(double width, double depth, double fillet, double chamfer, double above = 1.0) {
  const double h = width / 2;
  return {{-h - chamfer - above, -above}, {-h, chamfer}, {-h, depth, fillet},
          {h, depth, fillet}, {h, chamfer}, {h + chamfer + above, -above}};
}

// A thread undercut: the flank towards the thread (left) at 30 degrees to the radial, a flat
// bottom, a radial wall towards the shoulder, bottom corners of radius `fillet`; `width` at the
// surface.
Profile ThreadUndercut(double width, double depth, double fillet, double above = 1.0) {
  const double a0 = -width / 2;
  return {{a0 - above * kTan30, -above}, {a0 + depth * kTan30, depth, fillet},
          {width / 2, depth, fillet}, {width / 2, -above}};
}

// An undercut of form E at the end of a cylinder: a 15 degree run-out, a flat bottom t1 deep,
// the radius r into the radial wall; f wide at the surface.
Profile UndercutE(double r, double t1, double f, double above = 0.5) {
  return {{-f - above / kTan15, -above}, {-f + t1 / kTan15, t1}, {0.0, t1, r}, {0.0, -above}};
}

// An undercut of form F at a shoulder at a = 0: as form E, and recessed t2 into the shoulder's
// face up to g above the small diameter, leaving the face at 45 degrees.
Profile UndercutF(double r, double t1, double t2, double f, double g) {
  return {{-f - 0.5 / kTan15, -0.5}, {-f + t1 / kTan15, t1}, {t2, t1, r}, {t2, -g},
          {-0.5, -g - t2 - 0.5}};
}

// A case of the kind: the stock's outline, where the groove's a = 0, d = 0 lies, the start point.
GrooveCase Case(std::string name, WorkKind kind, Profile blank, double across, double surface, Drawn start,
                Profile profile, double w, double r, std::string units) {
  GrooveCase c;
  c.name = std::move(name);
  c.kind = kind;
  c.units = std::move(units);
  c.toolWidth = w;
  c.cornerRadius = r;
  c.blank = std::move(blank);
  c.profile = std::move(profile);
  c.across = across;
  c.surface = surface;
  c.start = start;
  return c;
}

GrooveCase Shaft(std::string name, double diameter, Profile profile, double w, double r,
                 std::string units = "mm") {
  const double len = units == "in" ? 1.2 : 30.0, clear = units == "in" ? 0.12 : 3.0;
  return Case(std::move(name), WorkKind::OutsideDiameter, {{-len, 0}, {len, 0}, {len, diameter / 2}, {-len, diameter / 2}},
              len, diameter / 2, {len + clear, -clear}, std::move(profile), w, r, units);
}

// A shaft with a shoulder of `step` (radius) at a = 0, the larger diameter on the right.
GrooveCase ShoulderShaft(std::string name, double diameter, double step, Profile profile,
                         double w, double r) {
  GrooveCase c = Shaft(std::move(name), diameter, std::move(profile), w, r);
  c.blank = {{-30, 0}, {0, 0}, {0, -step}, {30, -step}, {30, diameter / 2}, {-30, diameter / 2}};
  c.start = {33, -step - 3};
  return c;
}

GrooveCase Bore(std::string name, double bore, Profile profile, double w, double r,
                std::string units = "mm") {
  const double len = units == "in" ? 1.2 : 30.0, wall = units == "in" ? 0.4 : 10.0;
  return Case(std::move(name), WorkKind::Bore, {{-len, 0}, {len, 0}, {len, wall}, {-len, wall}}, len, -bore / 2,
              {len * 1.1, -bore / 4}, std::move(profile), w, r, units);
}

// A groove in a face at `radius`, on a disc of `outer` radius and `length` along the axis.
GrooveCase Face(std::string name, bool front, double radius, Profile profile, double w, double r,
                std::string units = "mm", double outer = 60.0, double length = 30.0) {
  const double clear = units == "in" ? 0.12 : 3.0;
  return Case(std::move(name), front ? WorkKind::FrontFace : WorkKind::BackFace,
              {{-radius, 0}, {outer - radius, 0}, {outer - radius, length}, {-radius, length}}, radius,
              front ? length : 0.0, {outer - radius + clear, -clear}, std::move(profile), w, r, units);
}

// DIN 471: shaft d, groove diameter d2, width m.
GrooveCase Din471(double d, double d2, double m, double w, double r) {
  return Shaft("DIN 471 d" + std::to_string(static_cast<int>(d)) + " insert " +
                   std::to_string(w).substr(0, 4),
               d, Rect(m, (d - d2) / 2), w, r);
}

// DIN 472: bore d1, groove diameter d2, width m.
GrooveCase Din472(double d1, double d2, double m, double w, double r) {
  return Bore("DIN 472 d" + std::to_string(static_cast<int>(d1)) + " insert " +
                  std::to_string(w).substr(0, 4),
              d1, Rect(m, (d2 - d1) / 2), w, r);
}

// Shapes beside the standard tables in a 60 x 20 blank of the kind: inside corners sharper than
// the insert, a dovetail whose undercut no plunge reaches, a V-slot narrower than the insert
// below its mouth, a spike on the bottom, a lip over part of the groove.
void AddMachinistShapes(std::vector<GrooveCase>& c) {
  const std::pair<const char*, Profile> shapes[] = {
      {"radii", {{-5, -1}, {-5, 5, 1.0}, {5, 5, 1.0}, {5, -1}}},
      {"dovetail", {{-3, -1}, {-4, 4}, {4, 4}, {3, -1}}},
      {"V-slot", {{-3.5, -1}, {0, 5}, {3.5, -1}}},
      {"spike", {{-8, -1}, {-8, 6}, {-0.5, 6}, {0, 3}, {0.5, 6}, {8, 6}, {8, -1}}},
      {"overhang", {{-3, -1}, {-3, 2}, {-5, 2}, {-5, 6}, {5, 6}, {5, -1}}},
  };
  for (const WorkKind kind : {WorkKind::OutsideDiameter, WorkKind::Bore, WorkKind::FrontFace, WorkKind::BackFace}) {
    for (const auto& [name, profile] : shapes) {
      const double surface = kind == WorkKind::Bore ? -15.0 : kind == WorkKind::BackFace ? 0.0 : 40.0;
      c.push_back(Case(std::string(name) + " kind " + std::to_string(static_cast<int>(kind)), kind,
                       {{-30, 0}, {30, 0}, {30, 20}, {-30, 20}}, 30, surface, {33, -3}, profile, 3.0, 0.4, "mm"));
    }
  }
}

std::vector<GrooveCase> Build() {
  std::vector<GrooveCase> c;
  // Retaining-ring grooves, an insert of the groove's width and a narrower one.
  c.push_back(Din471(10, 9.6, 1.1, 1.1, 0.1));
  c.push_back(Din471(15, 14.3, 1.1, 1.0, 0.05));
  c.push_back(Din471(20, 19.0, 1.3, 1.3, 0.1));
  c.push_back(Din471(25, 23.9, 1.3, 1.0, 0.1));
  c.push_back(Din471(30, 28.6, 1.6, 1.6, 0.2));
  c.push_back(Din471(40, 37.5, 1.85, 1.5, 0.15));
  c.push_back(Din471(50, 47.0, 2.15, 2.15, 0.2));
  c.push_back(Din472(20, 21.0, 1.1, 1.1, 0.1));
  c.push_back(Din472(25, 26.2, 1.3, 1.0, 0.1));
  c.push_back(Din472(30, 31.4, 1.3, 1.3, 0.1));
  c.push_back(Din472(40, 42.5, 1.85, 1.5, 0.2));
  c.push_back(Din472(50, 53.0, 2.15, 2.15, 0.2));
  // Undercuts.
  c.push_back(Shaft("DIN 509 E 0.6x0.2 d16", 16, UndercutE(0.6, 0.2, 2.0), 1.6, 0.2));
  c.push_back(Shaft("DIN 509 E 1.0x0.4 d30", 30, UndercutE(1.0, 0.4, 4.0), 3.0, 0.4));
  c.push_back(Shaft("DIN 509 E 0.4x0.2 d10", 10, UndercutE(0.4, 0.2, 2.0), 1.5, 0.1));
  c.push_back(
      ShoulderShaft("DIN 509 F 0.6x0.3 d20", 20, 3.0, UndercutF(0.6, 0.3, 0.2, 2.5, 0.5), 1.5,
                    0.2));
  c.push_back(
      ShoulderShaft("DIN 509 F 0.8x0.3 d40", 40, 4.0, UndercutF(0.8, 0.3, 0.2, 2.5, 1.0), 2.0,
                    0.4));
  // Thread undercuts, external and in a bore.
  c.push_back(Shaft("DIN 76 M6", 6, ThreadUndercut(2.1, 0.8, 0.5), 1.5, 0.2));
  c.push_back(Shaft("DIN 76 M8", 8, ThreadUndercut(2.7, 0.9, 0.6), 2.0, 0.2));
  c.push_back(Shaft("DIN 76 M10", 10, ThreadUndercut(3.2, 1.15, 0.8), 2.0, 0.4));
  c.push_back(Shaft("DIN 76 M12", 12, ThreadUndercut(3.9, 1.4, 1.0), 3.0, 0.4));
  c.push_back(Shaft("DIN 76 M16", 16, ThreadUndercut(4.5, 1.55, 1.0), 3.0, 0.4));
  c.push_back(Bore("DIN 76 M20 internal", 17.3, ThreadUndercut(5.0, 1.6, 1.0), 3.0, 0.4));
  // O-ring glands with mouth chamfers.
  c.push_back(Shaft("O-ring 2.0 piston d20", 20, Gland(2.7, 1.5, 0.2, 0.2), 2.0, 0.2));
  c.push_back(Shaft("O-ring 3.0 piston d40", 40, Gland(4.0, 2.3, 0.4, 0.3), 3.0, 0.4));
  c.push_back(Shaft("O-ring 3.5 piston d50", 50, Gland(4.7, 2.8, 0.4, 0.3), 3.0, 0.4));
  c.push_back(Bore("O-ring 2.0 housing d20", 20, Gland(2.7, 1.5, 0.2, 0.2), 2.0, 0.2));
  c.push_back(Bore("O-ring 3.0 housing d40", 40, Gland(4.0, 2.4, 0.4, 0.3), 3.0, 0.4));
  c.push_back(Bore("O-ring 5.33 housing d60", 60, Gland(7.1, 4.3, 0.5, 0.3), 4.0, 0.4));
  c.push_back(Face("O-ring 2.0 face r20", true, 20, Gland(2.9, 1.5, 0.2, 0.2), 2.0, 0.2));
  c.push_back(Face("O-ring 3.0 face r35", true, 35, Gland(4.0, 2.3, 0.4, 0.3), 3.0, 0.4));
  c.push_back(Face("O-ring 3.53 face r30", true, 30, Gland(4.8, 2.7, 0.4, 0.2), 4.0, 0.4));
  // Back faces.
  c.push_back(Face("O-ring 2.5 back face r25", false, 25, Gland(3.4, 1.9, 0.2, 0.2), 3.0, 0.2));
  c.push_back(Face("back face 5x6 insert 4", false, 30, Rect(5.0, 6.0), 4.0, 0.4));
  c.push_back(Face("back face ring 1.6x1 r30", false, 30, Rect(1.6, 1.0), 1.6, 0.2));
  // Wide, stepped and exactly filled grooves.
  c.push_back(Shaft("wide 20x3 d60", 60, Rect(20.0, 3.0, 0.5), 3.0, 0.4));
  c.push_back(Shaft("stepped 6+6 d50", 50,
                    {{-6, -1}, {-6, 6}, {0, 6}, {0, 4}, {6, 4}, {6, -1}}, 4.0, 0.4));
  c.push_back(Face("wide face 12x3 r40", true, 40, Rect(12.0, 3.0, 0.4), 3.0, 0.4));
  c.push_back(Bore("bore 10x4 d20 insert 4", 20, Rect(10.0, 4.0), 4.0, 0.4));
  c.push_back(Shaft("4x3 insert 4", 50, Rect(4.0, 3.0), 4.0, 0.4));
  c.push_back(Face("front face 5x6 insert 4", true, 30, Rect(5.0, 6.0), 4.0, 0.4));
  c.push_back(Shaft("shallow 2.5x0.39 insert 2", 50, Rect(2.5, 0.39), 2.0, 0.2));
  c.push_back(Shaft("10x5 R1 insert 3", 50, Rect(10.0, 5.0, 1.0), 3.0, 0.2));
  // Inch: AS568 gland cross-sections.
  c.push_back(Shaft("AS568-2xx piston 1.5in", 1.5, Gland(0.188, 0.111, 0.010, 0.005, 0.04),
                    0.118, 0.008, "in"));
  c.push_back(Bore("AS568-1xx housing 1.0in", 1.0, Gland(0.141, 0.081, 0.010, 0.005, 0.04),
                   0.094, 0.008, "in"));
  c.push_back(Face("AS568-0xx face r0.75in", true, 0.75, Rect(0.094, 0.050, 0.0, 0.04), 0.094,
                   0.004, "in", 1.5, 1.0));
  c.push_back(Shaft("AS568-3xx piston 3in", 3.0, Gland(0.281, 0.170, 0.015, 0.008, 0.04), 0.187,
                    0.015, "in"));
  c.push_back(Shaft("inch ring groove 1in", 1.0, Rect(0.046, 0.030, 0.0, 0.04), 0.046, 0.004,
                    "in"));
  AddMachinistShapes(c);
  return c;
}

}  // namespace

const std::vector<GrooveCase>& GrooveCatalogue() {
  static const std::vector<GrooveCase> catalogue = Build();
  return catalogue;
}

}  // namespace sulkor::testing

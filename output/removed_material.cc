#include "output/removed_material.h"

#include "geometry/contour_utils.h"
#include "geometry/work_geometry.h"
#include "groove/blank_graphic.h"
#include "groove/host_objects.h"
#include "output/graphic_builders.h"

namespace sulkor {
namespace {

void CopyPen(Graphic& from, Graphic& to) {
  to.SetProperty(kPenColor, from.Property(kPenColor));
  to.SetProperty(kPenWidth, from.Property(kPenWidth));
}

void Clean(Contour& contour) {
  MergeSegments(contour);
  SimplifyContour(contour);
}

// The part's blank graphic takes the remaining stock as its new profile.
void ReplaceBlank(OperationState& state, const Handle<Graphic>& partGroup,
                  const Handle<Graphic>& blank, bool flat) {
  Handle<Graphic> polyline = BuildPolyline(state, state.contours.remaining);
  if (!flat) {
    Handle<Graphic> profile = BlankProfile(blank);
    CopyPen(*profile, *polyline);
    profile->Delete();
    blank->Children()->AddGraphic(polyline);
    blank->Update();
    blank->Draw();
    return;
  }
  CopyPen(*blank, *polyline);
  polyline->SetName(blank->Name());
  polyline->SetLayer(blank->Layer());
  polyline->SetFlag(true);
  Handle<Graphics> partGraphics = partGroup->Children();
  partGraphics->Operation(128);
  partGraphics->AddGraphic(polyline);
}

void DeleteOld(Graphics& group, std::string_view name) {
  Handle<Graphic> old = group.ItemByName(name);
  if (!old) return;
  old->SetState(0);
  old->Draw();
  old->Delete();
}

}  // namespace

void OutputRemovedMaterial(OperationState& state, const Handle<BlockSet>& camBSet) {
  Handle<Graphic> group;
  Handle<Graphics> groupGraphics;
  WithErrorsSuppressed([&] {
    group = camBSet->GraphicGroup();
    groupGraphics = group->Children();
  });
  if (!groupGraphics) return;

  Handle<Drawing> drawing;
  WithErrorsSuppressed([&] { drawing = groupGraphics->OwnerDrawing(); });
  if (!drawing) WithErrorsSuppressed([&] { drawing = group->App()->ActiveDrawing(); });
  if (!drawing) return;

  Handle<Graphic> partGroup;
  Handle<Graphic> blank;
  bool flat = true;
  WithErrorsSuppressed([&] {
    partGroup = camBSet->OwnerPart()->PartGraphic();
    blank = FindBlankGraphic(partGroup, BlankMatch::ByKind);
    flat = IsFlatBlank(blank);
  });
  if (!blank) return;

  WithErrorsSuppressed([&] { Clean(state.contours.remaining); });
  WithErrorsSuppressed([&] { ReplaceBlank(state, partGroup, blank, flat); });

  WithErrorsSuppressed([&] { DeleteOld(*groupGraphics, kRemovedMaterialName); });
  WithErrorsSuppressed([&] { DeleteOld(*groupGraphics, kLastPartBlankName); });

  WithErrorsSuppressed([&] {
    Clean(state.contours.toMachine);
    Handle<Graphic> removed = BuildPolyline(state, state.contours.toMachine);
    removed->SetName(kRemovedMaterialName);
    removed->SetProperty(kPenColor, Variant(kColorGreen));
    removed->SetProperty(kPenWidth, Variant(int16_t{0}));
    removed->SetFillBrush(drawing->BrushByName(kHatchBrush));
    removed->SetProperty(kBrushScale, Variant(state.hatchScale));
    removed->SetLayer(CamOperationsLayer());
    groupGraphics->AddGraphic(removed);
  });

  WithErrorsSuppressed([&] {
    if (groupGraphics->ItemByName(kLastPartBlankName)) return;
    Handle<Graphic> start = BuildPolyline(state, state.contours.blank);
    start->SetName(kLastPartBlankName);
    start->SetProperty(kPenColor, Variant(kColorBlue));
    start->SetProperty(kPenWidth, Variant(int16_t{0}));
    start->SetFillBrush(nullptr);
    start->SetLayer(CamOperationsLayer());
    start->SetState(0);
    groupGraphics->AddGraphic(start);
  });
}

}  // namespace sulkor

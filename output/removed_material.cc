#include "output/removed_material.h"

#include "contour/contour_utils.h"
#include "workarea/work_geometry.h"
#include "operation/blank_graphic.h"
#include "operation/host_objects.h"
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

  // Each setting of the two outlines is its own step: one that fails leaves the outline without
  // it, and the outline is still added.
  WithErrorsSuppressed([&] { Clean(state.contours.toMachine); });
  Handle<Graphic> removed;
  WithErrorsSuppressed([&] { removed = BuildPolyline(state, state.contours.toMachine); });
  if (removed) {
    WithErrorsSuppressed([&] { removed->SetName(kRemovedMaterialName); });
    WithErrorsSuppressed([&] { removed->SetProperty(kPenColor, Variant(kColorGreen)); });
    WithErrorsSuppressed([&] { removed->SetProperty(kPenWidth, Variant(int16_t{0})); });
    WithErrorsSuppressed([&] { removed->SetFillBrush(drawing->BrushByName(kHatchBrush)); });
    WithErrorsSuppressed([&] { removed->SetProperty(kBrushScale, Variant(state.hatchScale)); });
    WithErrorsSuppressed([&] { removed->SetLayer(CamOperationsLayer()); });
    WithErrorsSuppressed([&] { groupGraphics->AddGraphic(removed); });
  }

  Handle<Graphic> present;
  WithErrorsSuppressed([&] { present = groupGraphics->ItemByName(kLastPartBlankName); });
  if (present) return;
  Handle<Graphic> start;
  WithErrorsSuppressed([&] { start = BuildPolyline(state, state.contours.blank); });
  if (!start) return;
  WithErrorsSuppressed([&] { start->SetName(kLastPartBlankName); });
  WithErrorsSuppressed([&] { start->SetProperty(kPenColor, Variant(kColorBlue)); });
  WithErrorsSuppressed([&] { start->SetProperty(kPenWidth, Variant(int16_t{0})); });
  WithErrorsSuppressed([&] { start->SetFillBrush(nullptr); });
  WithErrorsSuppressed([&] { start->SetLayer(CamOperationsLayer()); });
  WithErrorsSuppressed([&] { start->SetState(0); });
  WithErrorsSuppressed([&] { groupGraphics->AddGraphic(start); });
}

}  // namespace sulkor

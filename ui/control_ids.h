// Numeric identifiers of the main window's controls and menu commands.  Every
// control carries its identifier as its object name ("1001", ...).
#pragma once

#include <array>

namespace mottler::ui {

enum ControlId : int {
  IdPreview = 1011,
  IdZoomBar = 1050,
  IdZoomText = 1036,
  IdLookBuffer = 1041,
  IdAutoZoom = 1063,
  IdTile = 1064,
  IdWidthText = 1032,
  IdHeightText = 1033,
  IdRemark = 1045,
  IdSeedBar = 1010,
  IdSeedText = 1042,
  IdMethod = 1039,
  IdFixedColors = 1051,
  IdOffsetXBar = 1038,
  IdOffsetYBar = 1037,
  IdOffsetXText = 1043,
  IdOffsetYText = 1044,
  IdAutoGenerate = 1034,
  IdShowClock = 1054,
  IdTree = 1012,
  IdList = 1013,
  IdProgress = 1040,
  IdUp = 1014,
  IdDown = 1021,
  IdAdd = 1022,
  IdCancel = 1031,
  IdState = 1035,
  IdRemove = 1023,
  IdGenerate = 1030,
};

// Parameter rows 1..7: scroll bar, label and value text.
inline constexpr std::array<int, 7> kParamBarIds = {1001, 1002, 1003, 1004, 1005, 1006, 1007};
inline constexpr std::array<int, 7> kParamLabelIds = {1008, 1015, 1016, 1017, 1018, 1019, 1020};
inline constexpr std::array<int, 7> kParamValueIds = {1009, 1024, 1025, 1026, 1027, 1028, 1029};

enum MenuCommandId : int {
  IdFileNew = 57600,
  IdFileOpen = 57601,
  IdFileSave = 57603,
  IdFileSaveAs = 32774,
  IdFileExport = 32778,
  IdFileExportAtSize = 32790,
  IdFileExit = 32775,
  IdEditUndo = 57643,
  IdEditRedo = 57644,
  IdViewVariations = 32791,
  IdViewCloseUp = 32792,
  IdHelpContents = 32776,
  IdHelpWebSite = 32785,
  IdHelpAbout = 32777,
};

}  // namespace mottler::ui

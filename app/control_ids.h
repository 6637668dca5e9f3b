#pragma once

// Ids of the main window's controls; the two labels have id 0.
enum ControlId : int {
  ID_SELECT_FOLDER = 1001,
  ID_HEIGHT_EDIT = 1002,
  ID_WIDTH_EDIT = 1003,
  ID_START = 1004,
  ID_PROGRESS = 1005,
  ID_LOG_LIST = 1006,
  ID_CLEAR_LOG = 1007,
};

#pragma once

#include <Qt>

/**
 * The test model's layout as the engine reads and writes it: columns, data roles
 * (Qt::UserRole + n) and test state codes.
 */
namespace testmodel {

enum Column : int {
    NameColumn = 0,
    StatisticsColumn = 1,
    TimeColumn = 2,
    StatusColumn = 3,
    InfoColumn = 4,
    ColumnCount = 5
};

enum Role : int {
    ItemTypeRole = Qt::UserRole + 1,
    StateRole = Qt::UserRole + 2,
    DetailsRole = Qt::UserRole + 3,
    ProgressRole = Qt::UserRole + 4,
    TestNameRole = Qt::UserRole + 5,
    StartTimeRole = Qt::UserRole + 8,
    EndTimeRole = Qt::UserRole + 9,
    OutputRole = Qt::UserRole + 10,
    FailedRole = Qt::UserRole + 11,
    RunsRole = Qt::UserRole + 12,
    OkRole = Qt::UserRole + 13
};

enum CellType : int {
    TestNameCell = 1001,
    StatusCell = 1002,
    TimeCell = 1003,
    InfoCell = 1004,
    StatisticsCell = 1005
};

enum State : int {
    StateNone = 0,
    StateOk = 1,
    StateError = 2,
    StateWarning = 3,
    StateQueued = 4,
    StateRunning = 5,
    StateCanceling = 6,
    StateCanceled = 7
};

} // namespace testmodel

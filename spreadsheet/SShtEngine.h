#pragma once
// The spreadsheet engine without any widget: cells, the cell store, the
// formula evaluator, sheet files and CSV exchange.

#include "SShtCell.h"
#include "SShtCsv.h"
#include "SShtEval.h"
#include "SShtFile.h"
#include "SShtStore.h"

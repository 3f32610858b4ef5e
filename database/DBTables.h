#pragma once
// The whole dataset layer in one include, for programs that use most of it.
// Each part has a header of its own; they depend one way:
//   DBTypes  <-  DBFields  <-  DBDataSet  <-  DBDataSource
//                                  ^
//   DBTypes  <-  DBEngine  <-  DBSqlDataSet  <-  DBQuery, DBTable
#include "DBTypes.h"
#include "DBFields.h"
#include "DBDataSet.h"
#include "DBDataSource.h"
#include "DBEngine.h"
#include "DBSqlDataSet.h"
#include "DBQuery.h"
#include "DBTable.h"

#pragma once

// Table ids and field names come from the database component.
#include "components/recordtable/FieldNames.h"
#include "components/recordtable/TableDefs.h"

#include "SubstitutionTables.h"

namespace ciphora {

namespace {

// Assigns the enciphering constants, stage by stage, value by value.
void FillKE(ByteTable& lngKE) {
#include "DefaultTablesKE.inc"
}

// Assigns the inverse: for each stage and value i, cell (lngKE(i, j), j) gets i.
void FillKD(ByteTable& lngKD){
#include "DefaultTablesKD.inc"
}

SubstitutionTables BuildDefaultTables() {
    SubstitutionTables tables;
    FillKE(tables.lngKE);
    FillKD(tables.lngKD);
    return tables;
}

}  // namespace

const SubstitutionTables& DefaultSubstitutionTables() {
    static const SubstitutionTables tables = BuildDefaultTables();
    return tables;
}

}  // namespace ciphora

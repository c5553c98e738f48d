// The tables of both database files, each declared once: its columns in
// the stored order, each with its type and the record field it holds.
// The schema, the statements and the values bound and read are all made
// from these declarations.
#pragma once

#include <glib.h>

#include <array>
#include <cstddef>
#include <initializer_list>

// How a column is read into and written from its record field.
enum class Kind {
    None,   // kept in the file, not in the record: never read nor written
    U32,    // unsigned, low 32 bits of the stored number
    I32,    // signed, low 32 bits
    U8,     // low 8 bits
    Bool,   // written as 0 or 1
    Time,   // signed seconds
    Text,   // fixed field, cut on a character boundary
    Real,   // may be stored as a real number: the fraction is dropped
    Group,  // iGroupID with the group level in bit 31
    OptU32, // a gboolean "set" and the guint after it; NULL when not set
    Arg,    // written only: the update's extra argument
};
struct Field {
    Kind k;
    std::size_t off;
    std::size_t nl; // bytes of a text field
};

// One column: its name and type as created, and the record field it holds.
struct ColDecl {
    const char* pszCol;
    const char* pszType;
    Field f;
};
// One table, columns in the stored order; the first is the row ID. A row
// with every column NULL reads as a zeroed record of nlRec bytes, then
// given to pfnInit when there is one.
struct TableDecl {
    const char* pszTable;
    std::size_t nlRec;
    void (*pfnInit)(void* prcd);
    std::initializer_list<ColDecl> lstCol;
};

extern const TableDecl tblAircraft, tblPilot, tblFlight, tblMaint, tblDefect;
extern const TableDecl tblComp, tblRef, tblTarget, tblSNote;

// The tables of each file, in the order a fresh file gets them.
extern const std::array<const TableDecl*, 5> tblLogTables;
extern const std::array<const TableDecl*, 4> tblCatalogueTables;

// BLIF texts shared by the reader and command-line tests, with the trace
// their parse writes into the log.
#pragma once

// A model with one input, one output and one table.
inline const char kExample[] = ".model m\n.inputs a\n.outputs y\n.names a y\n0 1\n.end\n";

inline const char kExampleTrace[] =
    "6 --> m\n"
    "19 --> nom circuit\n"
    "2 --> definition nom declaration\n"
    "6 --> a\n"
    "5 --> creation liste ident\n"
    "3,2 --> definition liste inputs\n"
    "6 --> y\n"
    "5 --> creation liste ident\n"
    "4,2 --> definition liste output\n"
    "7 --> equation booleenne gen seule\n"
    "6 --> a\n"
    "5 --> creation liste ident\n"
    "6 --> y\n"
    "5,2 --> ajout ident liste\n"
    "11 --> def declaration bool\n"
    "18 --> operateur ``0 logique''\n"
    "17 -->  liste de var a 1 element\n"
    "18,2 --> operateur ``1 logique''\n"
    "17,2 -->  add var liste\n"
    "16 --> produit\n"
    "15 --> premier produit\n"
    "10 --> def equation bool\n"
    "8 --> equation boolenne\n"
    "7,2 --> ajout equation gen liste\n"
    "1 --> definition finale\n";

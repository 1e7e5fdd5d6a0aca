#ifndef PARTYPES_H
#define PARTYPES_H

// The parameter record types, named once for the headers that only pass
// records along; each type's fields are in its own header.
struct ParReplaced;
struct ParRetain;
struct ParTo;
struct ParCode;
struct ParChar;
struct ParSpace;
struct ParAdd;

#endif // PARTYPES_H

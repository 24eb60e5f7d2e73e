#pragma once

// Whether loading may create what is missing (the program's own start), or must leave every
// file and folder exactly as it is (an inspection such as "kestrovin-cli status").
enum class StorageAccess { ReadWrite, ReadOnly };

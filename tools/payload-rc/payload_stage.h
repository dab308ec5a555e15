// Stages the installer's payload from the install manifest: finds each item's file, refuses an
// empty one, packs the LZHUF items with the packer and copies the stored ones to numbered item
// files, writes the checksum record of the installed bytes, and writes the resource script that
// embeds them all. Also writes the uninstaller's record of the files it may remove.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PayloadStageOptions {
  std::vector<std::string> SourceRoots;  // folders holding the product's files by relative path
  std::string Packer;                    // program run as: Packer IN OUT
  std::string ItemDir;                   // receives <id>.item for every manifest row
  std::string TreeDir;                   // receives the product tree (empty: no tree)
  std::string RcPath;                    // the resource script to write
};

// The resource script: one line `<id> RAW "<itemDir>/<id>.item"` per manifest row, in manifest
// order, then `1 PAYLOADCRC "<itemDir>/checksums.bin"`, the record that the installer checks
// each installed file against. itemDir must not contain a double quote or a backslash (windres
// reads both specially).
std::string FormatPayloadRc(const std::string& itemDir);

// The one file for relativePath among the roots. Fails when none or more than one has it.
bool FindItemSource(const std::vector<std::string>& roots, const std::string& relativePath,
                    std::string* path, std::string* error);

// Does the whole staging; on failure *error names the item and the file and nothing of the
// resource script is written.
bool StagePayload(const PayloadStageOptions& options, std::string* error);

// Writes the checksum record of files: for each (resource id, file) its id and the CRC-32 of the
// file's bytes, both as little-endian 32-bit numbers, in the order given. Nothing is left at
// path on failure.
bool WriteChecksumRecord(const std::string& path,
                         const std::vector<std::pair<int, std::string>>& files, std::string* error);

// The uninstaller's record: the checksum record of every manifest row but the uninstaller's own
// (its file is the program that embeds the record), looked up below the roots, written to
// <ItemDir>/checksums.bin, and the resource script RcPath that embeds it as "1 PAYLOADCRC".
// Packer and TreeDir are not used.
bool StageUninstallerRecord(const PayloadStageOptions& options, std::string* error);

// Stages the installer's payload from the install manifest: finds each item's file, refuses an
// empty one, packs the LZHUF items with the packer and copies the stored ones to numbered item
// files, has the checksum record of the installed bytes written, and writes the resource script
// that embeds them all.
#pragma once

#include <string>
#include <vector>

struct PayloadStageOptions {
  std::vector<std::string> SourceRoots;  // folders holding the product's files by relative path
  std::string Packer;                    // program run as: Packer IN OUT
  std::string ChecksumTool;              // program run as: ChecksumTool OUT ID FILE [ID FILE...]
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

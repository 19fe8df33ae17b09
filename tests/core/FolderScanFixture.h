#pragma once
// The walk's tests on a fresh temporary folder.

#include "listing/FolderScan.h"

#include "Files.h"
#include "Nobody.h"
#include "TempDir.h"
#include "TextDiff.h"
#include "Trees.h"

#include <gtest/gtest.h>

class FolderScan : public ::testing::Test {
protected:
    zentory::ScanResult scan(bool subFolders) {
        zentory::ScanResult result =
            zentory::ScanFolder(root, zentory::ScanOptions::all(subFolders));
        EXPECT_FALSE(result.folderError.has_value());
        return result;
    }

    zentory::test::TempDir dir;
    const std::string root = dir.path();
};

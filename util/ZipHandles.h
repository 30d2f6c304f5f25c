// The minizip handles of one open archive, shared by the archive object and its streams so that a
// stream used after its archive was closed finds no handle instead of a freed one.
#pragma once

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <memory>

struct ZipHandles {
  unzFile unz = nullptr;  // unzip mode
  zipFile zip = nullptr;  // create and append modes
};

using ZipHandlesRef = std::shared_ptr<ZipHandles>;

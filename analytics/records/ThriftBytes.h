// Wire records to and from the Thrift binary protocol in memory.
#pragma once

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <exception>
#include <memory>
#include <string>

#include "analytics/records/WireShape.h"

namespace records {

// The record's bytes; what was written before a failure is returned with the failure's text.
template <typename Record>
std::string toBytes(const Record& record, std::string* failure = nullptr) {
  auto buffer = std::make_shared<apache::thrift::transport::TMemoryBuffer>();
  apache::thrift::protocol::TBinaryProtocol protocol(buffer);
  try {
    record.write(&protocol);
  } catch (const std::exception& e) {
    if (failure) *failure = e.what();
  }
  return buffer->getBufferAsString();
}

// Fills `record` from bytes; false (with what was read kept) when the bytes end early, and false
// with nothing read when they are malformed. The bytes may come from the network or a damaged
// file: their shape is judged first, and no string or list may claim more than the bytes hold.
template <typename Record>
bool fromBytes(const std::string& bytes, Record& record, std::string* failure = nullptr) {
  if (WireShape::of(bytes) == WireShape::Verdict::Malformed) {
    if (failure) *failure = "malformed Thrift";
    return false;
  }
  auto buffer = std::make_shared<apache::thrift::transport::TMemoryBuffer>(
      reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.data())),
      static_cast<uint32_t>(bytes.size()));
  const auto limit = static_cast<int32_t>(bytes.size());
  apache::thrift::protocol::TBinaryProtocol protocol(buffer, limit, limit, false, true);
  try {
    record.read(&protocol);
    return true;
  } catch (const std::exception& e) {
    if (failure) *failure = e.what();
    return false;
  }
}

}  // namespace records

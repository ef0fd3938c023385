#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_FrameBaseParam.h>
#include <BufferApi/I_Frame.h>

#include <map>
#include <string>
#include <vector>

namespace BufferApi
{
//! The registry of frame types, keyed by frame type name ("FT_IMAGE", ...).
//! All registrations happen during library start-up; the map is not locked.
class BUFFER_API C_FrameFactory
{
public:
  //! Builds a frame from a parameter object of the frame type's own parameter
  //! class; the caller owns the result.
  using T_Creator = I_Frame* (*)(const C_FrameBaseParam* param);

  static C_FrameFactory& GetInstance();

  C_FrameFactory(const C_FrameFactory&) = delete;
  C_FrameFactory& operator=(const C_FrameFactory&) = delete;

  //! Adds a frame type; raises "Frame type already registered." when the name
  //! is taken.
  bool Register(const std::string& type, T_Creator creator);
  //! A new frame of the named type, or null when the type is not registered or
  //! its creator fails (the failure has been logged). The caller owns it.
  I_Frame* Create(const std::string& type, const C_FrameBaseParam* param) const;
  //! The registered frame type names in registration order.
  const std::vector<std::string>& GetRegisteredTypes() const { return m_registrationOrder; }

private:
  C_FrameFactory();
  ~C_FrameFactory();

  std::map<std::string, T_Creator> m_creators;
  std::vector<std::string> m_registrationOrder;
};
} // namespace BufferApi

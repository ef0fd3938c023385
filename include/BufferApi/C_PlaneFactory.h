#pragma once

#include <BufferApi/BufferApiExport.h>

#include <BufferApi/C_PlaneBaseParam.h>
#include <BufferApi/E_DataType.h>
#include <BufferApi/I_PlaneBase.h>

#include <map>

namespace BufferApi
{
//! Creates planes by element type. Filled once at library start-up; creation
//! only reads the map.
class BUFFER_API C_PlaneFactory
{
public:
  using T_Creator = I_PlaneBase* (*)(const C_PlaneBaseParam& param);

  static C_PlaneFactory& GetInstance();

  //! Registers the creator of a type; false (and the existing registration
  //! kept) when the type is already registered or the creator is null.
  bool Register(E_DataType type, T_Creator creator);
  //! A new plane owned by the caller, or null when no creator is registered
  //! for the type or the creator failed.
  I_PlaneBase* Create(E_DataType type, const C_PlaneBaseParam& param) const;

  C_PlaneFactory(const C_PlaneFactory&) = delete;
  C_PlaneFactory& operator=(const C_PlaneFactory&) = delete;

private:
  C_PlaneFactory() = default;
  ~C_PlaneFactory() = default;

  std::map<E_DataType, T_Creator> m_creators;
};

//! A plane of own, zeroed memory; null for DT_Bool, unknown types and when the
//! plane could not be built. The caller owns the result.
BUFFER_API I_PlaneBase* CreatePlane(E_DataType type, unsigned width, unsigned height);
//! As above, but numeric planes adopt `memory` (a C heap block of width *
//! height elements, not cleared, released with free()); RGB planes ignore it.
BUFFER_API I_PlaneBase* CreatePlane(E_DataType type, unsigned width, unsigned height, void* memory);

} // namespace BufferApi

// Plane memory as numpy arrays: dtypes, zero-copy component views that keep
// their buffer alive, and plane copies for plane attributes.
#include "Handles.h"

#include <cstdint>
#include <cstring>

using namespace BufferApi;

namespace BufferPython
{
RootPtr MakeRoot(I_Buffer* buffer)
{
  auto root = std::make_shared<Root>();
  root->buffer.reset(buffer);
  return root;
}

py::str Latin1ToPython(const std::string& text)
{
  PyObject* decoded = PyUnicode_DecodeLatin1(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
  if (!decoded)
    throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

std::string PythonToLatin1(const py::handle& text)
{
  if (PyBytes_Check(text.ptr()))
    return std::string(PyBytes_AS_STRING(text.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(text.ptr())));
  if (!PyUnicode_Check(text.ptr()))
    throw py::type_error("expected str, got " + std::string(py::str(py::type::of(text).attr("__name__"))));
  PyObject* encoded = PyUnicode_AsLatin1String(text.ptr());
  if (!encoded)
  {
    PyErr_Clear();
    throw py::value_error("text can't be stored in 8 bits (Latin-1): " + std::string(py::str(text)));
  }
  py::bytes bytes = py::reinterpret_steal<py::bytes>(encoded);
  return std::string(bytes);
}

py::dtype DTypeOf(E_DataType type)
{
  switch (type)
  {
  case DT_UInt8:
  case DT_RGB:
    return py::dtype::of<std::uint8_t>();
  case DT_UInt16:
    return py::dtype::of<std::uint16_t>();
  case DT_Int32:
    return py::dtype::of<std::int32_t>();
  case DT_UInt32:
    return py::dtype::of<std::uint32_t>();
  case DT_Float:
    return py::dtype::of<float>();
  case DT_Double:
    return py::dtype::of<double>();
  case DT_Bool:
    break;
  }
  throw py::type_error("element type " + std::to_string(int(type)) + " has no numpy dtype");
}

namespace
{
std::vector<ssize_t> PlaneShape(const I_PlaneBase& plane, E_DataType type, ssize_t planes = -1)
{
  std::vector<ssize_t> shape;
  if (planes >= 0)
    shape.push_back(planes);
  shape.push_back(plane.GetHeight());
  shape.push_back(plane.GetWidth());
  if (type == DT_RGB)
    shape.push_back(4);
  return shape;
}

std::vector<ssize_t> PlaneStrides(const I_PlaneBase& plane, E_DataType type)
{
  const auto element = static_cast<ssize_t>(GetDataTypeSize(type));
  std::vector<ssize_t> strides{element * plane.GetWidth(), element};
  if (type == DT_RGB)
    strides.push_back(1);
  return strides;
}

std::uint64_t PlaneBytes(const I_PlaneBase& plane)
{
  return std::uint64_t(plane.GetWidth()) * plane.GetHeight() * GetDataTypeSize(plane.GetDataType());
}

const char* Address(const I_PlaneBase* plane)
{
  return static_cast<const char*>(plane->GetData());
}

//! The distance between consecutive planes when all of them are that far
//! apart and don't overlap; 0 otherwise.
std::ptrdiff_t EvenPlaneDistance(const I_Component& component)
{
  const unsigned count = component.GetNumberOfPlanes();
  const I_PlaneBase* first = component.GetPlane(0);
  const auto bytes = static_cast<std::ptrdiff_t>(PlaneBytes(*first));
  if (count == 1)
    return bytes;
  const std::ptrdiff_t distance = Address(component.GetPlane(1)) - Address(first);
  if (distance < bytes && -distance < bytes)
    return 0;
  for (unsigned i = 2; i < count; ++i)
    if (Address(component.GetPlane(i)) - Address(component.GetPlane(i - 1)) != distance)
      return 0;
  return distance;
}

void CheckUniformPlanes(const I_Component& component)
{
  const I_PlaneBase* first = component.GetPlane(0);
  for (unsigned i = 1; i < component.GetNumberOfPlanes(); ++i)
  {
    const I_PlaneBase* plane = component.GetPlane(i);
    if (plane->GetWidth() != first->GetWidth() || plane->GetHeight() != first->GetHeight() ||
        plane->GetDataType() != first->GetDataType())
      throw py::value_error("component " + component.GetName() + " has planes of different sizes or types");
  }
}

//! Planes that were allocated one by one are moved into one consecutive
//! block, so that a single strided array can show them all.
void MoveIntoOneBlock(I_Component& component)
{
  const I_PlaneBase& first = *component.GetPlane(0);
  const unsigned count = component.GetNumberOfPlanes();
  const E_DataType type = first.GetDataType();
  auto memory = std::make_shared<C_ConsecutivePlaneMemory>(first.GetWidth(), first.GetHeight(), type, count);
  std::vector<std::shared_ptr<I_PlaneBase>> planes;
  for (unsigned i = 0; i < count; ++i)
  {
    const C_PlaneBaseParam param(first.GetWidth(), first.GetHeight(), memory, memory->GetPlaneMemory(i));
    std::shared_ptr<I_PlaneBase> plane(C_PlaneFactory::GetInstance().Create(type, param));
    if (!plane)
      throw std::bad_alloc();
    std::memcpy(plane->GetData(), component.GetPlane(i)->GetData(), PlaneBytes(first));
    planes.push_back(std::move(plane));
  }
  for (unsigned i = 0; i < count; ++i)
    component.SetPlane(i, planes[i]);
}

py::capsule KeepAlive(const RootPtr& root)
{
  return py::capsule(new RootPtr(root), [](void* held) { delete static_cast<RootPtr*>(held); });
}
} // namespace

py::array ComponentView(const RootPtr& root, I_Component& component)
{
  const E_DataType type = component.GetDataType();
  const unsigned count = component.GetNumberOfPlanes();
  if (count == 0)
    return py::array(DTypeOf(type), std::vector<ssize_t>{0, 0, 0});
  CheckUniformPlanes(component);
  for (unsigned i = 0; i < count; ++i)
    if (!component.GetPlane(i)->GetData() && PlaneBytes(*component.GetPlane(i)) > 0)
      throw py::value_error("component " + component.GetName() + " holds no data");
  std::ptrdiff_t distance = EvenPlaneDistance(component);
  if (distance == 0)
  {
    MoveIntoOneBlock(component);
    distance = EvenPlaneDistance(component);
  }
  const I_PlaneBase& first = *component.GetPlane(0);
  if (PlaneBytes(first) == 0)
    return py::array(DTypeOf(type), PlaneShape(first, type, count));
  std::vector<ssize_t> strides = PlaneStrides(first, type);
  strides.insert(strides.begin(), distance);
  return py::array(DTypeOf(type), PlaneShape(first, type, count), strides, first.GetData(), KeepAlive(root));
}

py::array PlaneCopy(const I_PlaneBase& plane)
{
  const E_DataType type = plane.GetDataType();
  py::array copy(DTypeOf(type), PlaneShape(plane, type));
  if (PlaneBytes(plane) > 0)
    std::memcpy(copy.mutable_data(), plane.GetData(), PlaneBytes(plane));
  return copy;
}

void CopyIntoPlane(const py::array& array, I_PlaneBase& plane)
{
  const E_DataType type = plane.GetDataType();
  const bool contiguous = (array.flags() & py::array::c_style) != 0;
  if (!contiguous || !array.dtype().is(DTypeOf(type)) ||
      static_cast<std::uint64_t>(array.nbytes()) != PlaneBytes(plane))
    throw py::value_error("array does not match the plane's size and element type");
  if (PlaneBytes(plane) > 0)
    std::memcpy(plane.GetData(), array.data(), PlaneBytes(plane));
}

} // namespace BufferPython

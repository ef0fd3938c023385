#pragma once

// The objects the extension hands to Python. Every one of them, and every
// array that points into plane memory, holds the buffer it belongs to through
// a shared Root, so nothing Python still reaches is freed underneath it.

#include <BufferApi.h>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <vector>

namespace BufferPython
{
namespace py = pybind11;

struct Root
{
  std::unique_ptr<BufferApi::I_Buffer> buffer;
  //! Set when this root's only frame moved into another buffer: whoever still
  //! holds this root (an array of that frame) keeps the new owner alive.
  std::shared_ptr<Root> adoptedBy;
};
using RootPtr = std::shared_ptr<Root>;

RootPtr MakeRoot(BufferApi::I_Buffer* buffer);

struct Buffer
{
  RootPtr root;
};

struct Frame
{
  RootPtr root;
  BufferApi::I_Frame* frame = nullptr;
  //! A frame made from arrays that no buffer has taken yet: the only frame of
  //! its own root buffer, moved (not copied) by the first append.
  bool standalone = false;
};

//! The attribute tree of a buffer or of a frame (exactly one of the two set).
struct Attributes
{
  RootPtr root;
  BufferApi::I_Buffer* buffer = nullptr;
  BufferApi::I_Frame* frame = nullptr;
};

// Texts of the library are 8-bit Latin-1.
py::str Latin1ToPython(const std::string& text);
std::string PythonToLatin1(const py::handle& text);

// Element types and numpy.
py::dtype DTypeOf(BufferApi::E_DataType type);

//! A view of a component's planes, shape (planes, height, width) (RGB: a last
//! axis of 4 bytes blue, green, red, reserved). Planes that do not lie evenly
//! spaced in memory are first moved into one block, once.
py::array ComponentView(const RootPtr& root, BufferApi::I_Component& component);
//! A copy of one plane, shape (height, width).
py::array PlaneCopy(const BufferApi::I_PlaneBase& plane);
//! Copies a C-contiguous array of the plane's element type and size into it.
void CopyIntoPlane(const py::array& array, BufferApi::I_PlaneBase& plane);

//! (factor, offset, unit, description) of a scale.
py::tuple ScaleTuple(const BufferApi::I_Scale* scale);
//! A new linear scale; the caller owns it.
BufferApi::I_Scale* MakeScale(double factor, double offset, const py::handle& unit, const py::handle& description);

void BindAttributes(py::module_& module);
void BindObjects(py::module_& module);
void BindFiles(py::module_& module, py::handle errorType);

} // namespace BufferPython

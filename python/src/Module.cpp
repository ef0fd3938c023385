// The extension module bufferapi._core: files through the library's import
// and export front end (without the GIL, so that threads load in parallel),
// and the library's exceptions as bufferapi.Error.
#include "Handles.h"

#include <pybind11/stl.h>

#include <cstdint>
#include <cstring>
#include <limits>

using namespace BufferApi;
namespace Parameter = RTE::Parameter;
namespace py = pybind11;

namespace BufferPython
{
namespace
{
PyObject* g_error = nullptr;

void TranslateLibraryException(std::exception_ptr caught)
{
  try
  {
    if (caught)
      std::rethrow_exception(caught);
  }
  catch (const RTE::Exception& exception)
  {
    const char* text = exception.what();
    py::object message = Latin1ToPython(std::string(text, std::strlen(text)));
    py::object error = py::reinterpret_borrow<py::object>(g_error)(message);
    error.attr("unit") = Latin1ToPython(exception.file().toLatin1().toStdString());
    error.attr("line") = exception.line();
    PyErr_SetObject(g_error, error.ptr());
  }
}

using Tree = boost::shared_ptr<Parameter::C_Tree>;

//! An option tree from (name, value) pairs: bool, int or text parameters.
Tree MakeOptions(const py::list& options)
{
  Tree tree = Parameter::CreateTree();
  for (const py::handle& item : options)
  {
    const auto pair = item.cast<py::tuple>();
    const std::string name = PythonToLatin1(pair[0]);
    const py::handle value = pair[1];
    if (PyBool_Check(value.ptr()))
      tree->Add(Parameter::CreateBool(name, name, "", 2, value.cast<bool>(), Parameter::C_Bool::EditorCheckBox));
    else if (PyLong_Check(value.ptr()))
      tree->Add(Parameter::CreateInteger(
          name, name, "", 2, value.cast<std::int64_t>(), std::numeric_limits<std::int64_t>::min(),
          std::numeric_limits<std::int64_t>::max(), Parameter::C_Integer::EditorSpinBox));
    else if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()))
      tree->Add(Parameter::CreateText(name, name, "", 2, PythonToLatin1(value), Parameter::C_Text::EditorLineEdit));
    else
      throw py::type_error("option " + name + " must be a bool, an int or a str");
  }
  return tree;
}

Buffer Load(const std::string& path, const py::list& options)
{
  Tree tree = MakeOptions(options);
  I_Buffer* loaded = nullptr;
  {
    py::gil_scoped_release released;
    loaded = ImportBuffer(path, tree);
  }
  if (!loaded)
    throw py::value_error("the file plugin returned no buffer");
  return Buffer{MakeRoot(loaded)};
}

//! The library's import alone, the buffer discarded: the baseline that the
//! load benchmark compares load() with.
void ImportOnly(const std::string& path)
{
  py::gil_scoped_release released;
  std::unique_ptr<I_Buffer> loaded(ImportBuffer(path, Parameter::CreateTree()));
}

void Save(const Buffer& buffer, const std::string& path, std::int64_t packType)
{
  Tree tree = Parameter::CreateTree();
  tree->Add(Parameter::CreateInteger("PackType", "PackType", "", 2, packType, std::numeric_limits<std::int64_t>::min(),
                                     std::numeric_limits<std::int64_t>::max(), Parameter::C_Integer::EditorSpinBox));
  py::gil_scoped_release released;
  ExportBuffer(buffer.root->buffer.get(), path, tree);
}

py::tuple Info(const std::string& path, bool withAttributes)
{
  unsigned sizeX = 0, sizeY = 0, sizeZ = 0, frames = 0;
  I_Buffer* described = nullptr;
  {
    py::gil_scoped_release released;
    described = GetImportInformation(path, sizeX, sizeY, sizeZ, frames, withAttributes);
  }
  py::object buffer = described ? py::cast(Buffer{MakeRoot(described)}) : py::none();
  return py::make_tuple(buffer, sizeX, sizeY, sizeZ, frames);
}

py::list ListFormats()
{
  py::list formats;
  for (const auto& [key, description] : GetListOfFiletypes())
    formats.append(py::make_tuple(Latin1ToPython(key), Latin1ToPython(description)));
  return formats;
}
} // namespace

void BindFiles(py::module_& module, py::handle errorType)
{
  g_error = errorType.ptr();
  py::register_exception_translator(&TranslateLibraryException);
  module.def("load", &Load, py::arg("path"), py::arg("options"), "Reads a file into a new buffer.");
  module.def("_import_only", &ImportOnly, py::arg("path"), "Reads a file and discards the buffer (benchmarks).");
  module.def("save", &Save, py::arg("buffer"), py::arg("path"), py::arg("pack_type"), "Writes a buffer to a file.");
  module.def("info", &Info, py::arg("path"), py::arg("with_attributes"),
             "(buffer, width, height, depth, frames) of a file, its data not read.");
  module.def("list_formats", &ListFormats, "(key, description) of every file format.");
  module.def(
      "is_format_available", [](const std::string& type) { return IsFiletypeAvailable(type); }, py::arg("type"));
}

} // namespace BufferPython

PYBIND11_MODULE(_core, module)
{
  module.doc() = "The compiled part of bufferapi; use the bufferapi package.";
  // Owned by the module for the life of the process.
  PyObject* error = PyErr_NewExceptionWithDoc(
      "bufferapi.Error", "An error of the library: str() is its message, unit and line tell where it arose.",
      PyExc_Exception, nullptr);
  module.add_object("Error", py::handle(error));
  BufferPython::BindFiles(module, error);
  BufferPython::BindAttributes(module);
  BufferPython::BindObjects(module);
}

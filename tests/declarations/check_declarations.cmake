# Checks the declarations for Visual Basic, .NET and Pascal against the C
# header, read here on its own terms (not through the generator):
#   - every constant of the header (#define ZOLT_<NAME> <number>, its
#     aliases, ZOLT_VERSION_STRING) stands in each file with its value, and
#     no file has a ZOLT_ constant that the header lacks;
#   - the header's two prototypes are still the shapes the declarations
#     bind (three 32-bit integers, and a char* for ZoltResult), and each
#     file declares them so: Long/ByVal String, int/StringBuilder with
#     StdCall and Ansi, Integer/PAnsiChar with stdcall.
# Usage: cmake -DHEADER=OstrelZOLTDLL.h -DDIR=<declarations> -P check_declarations.cmake
cmake_minimum_required(VERSION 3.25)
set(failures "")
# require(TEXT NEEDLE WHAT): TEXT holds NEEDLE, else WHAT is a failure.
function(require text needle what)
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    list(APPEND failures "${what}")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()

file(READ "${HEADER}" header)
file(READ "${DIR}/OstrelZOLTDLL.bas" bas)
file(READ "${DIR}/OstrelZOLTDLL.cs" cs)
file(READ "${DIR}/OstrelZOLTDLL.pas" pas)

file(STRINGS "${HEADER}" defines REGEX "^#define ZOLT_[A-Z0-9_]+ ")
set(count 0)
foreach(line IN LISTS defines)
  string(REGEX MATCH "^#define (ZOLT_[A-Z0-9_]+) +(\\(?-?[0-9]+\\)?|ZOLT_[A-Z0-9_]+|\"[0-9.]+\")( |$)" m "${line}")
  if(NOT m)
    continue()  # ZOLT_CALL, ZOLT_LIBRARY_NAME
  endif()
  set(name ${CMAKE_MATCH_1})
  string(REGEX REPLACE "[()]" "" value "${CMAKE_MATCH_2}")
  math(EXPR count "${count} + 1")
  if(value MATCHES "^\"")
    set(vb_type String)
    set(cs_type string)
    string(REPLACE "\"" "'" pas_value "${value}")
  else()
    set(vb_type Long)
    set(cs_type int)
    set(pas_value "${value}")
  endif()
  require("${bas}" "\nPublic Const ${name} As ${vb_type} = ${value}\n" "OstrelZOLTDLL.bas: ${name} = ${value}")
  require("${cs}" "public const ${cs_type} ${name} = ${value};\n" "OstrelZOLTDLL.cs: ${name} = ${value}")
  require("${pas}" "\n  ${name} = ${pas_value};\n" "OstrelZOLTDLL.pas: ${name} = ${value}")
endforeach()
if(count LESS 20)
  list(APPEND failures "the header's constants: only ${count} found")
endif()
foreach(pair "bas|Public Const ZOLT_" "cs|public const [a-z]+ ZOLT_" "pas|\n  ZOLT_[A-Z0-9_]+ = ")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 file)
  list(GET pair 1 pattern)
  string(REGEX MATCHALL "${pattern}" found "${${file}}")
  list(LENGTH found n)
  if(file STREQUAL "pas")
    math(EXPR n "${n} - 2")  # ZOLT_LIBRARY_NAME, one for each system
  endif()
  if(NOT n EQUAL count)
    list(APPEND failures "OstrelZOLTDLL.${file}: ${n} ZOLT_ constants, the header has ${count}")
  endif()
endforeach()

# The prototypes the declarations bind.
string(REGEX REPLACE "[ \t\r\n]+" " " flat "${header}")
require("${flat}" "ZoltInt32 ZOLT_CALL ZoltResult(ZoltInt32 vendor, ZoltInt32 location, ZoltInt32 basket_size, char* expiry_text);" "the header's ZoltResult prototype changed: change the declarations")
require("${flat}" "ZoltInt32 ZOLT_CALL check_SoldOut_Condition(ZoltInt32 vendor, ZoltInt32 location, ZoltInt32 basket_size);" "the header's check_SoldOut_Condition prototype changed: change the declarations")
require("${flat}" "#define ZOLT_CALL __stdcall" "the header's calling convention is no longer __stdcall")

string(REGEX REPLACE "[ \t]*_\n[ \t]*" " " bas_flat "${bas}")
foreach(declare "Public Declare Function" "Public Declare PtrSafe Function")
  require("${bas_flat}" "${declare} ZoltResult Lib \"OstrelZOLTDLL.dll\" (ByVal vendor As Long, ByVal location As Long, ByVal basketSize As Long, ByVal expiryText As String) As Long" "OstrelZOLTDLL.bas: ${declare} ZoltResult")
  require("${bas_flat}" "${declare} check_SoldOut_Condition Lib \"OstrelZOLTDLL.dll\" (ByVal vendor As Long, ByVal location As Long, ByVal basketSize As Long) As Long" "OstrelZOLTDLL.bas: ${declare} check_SoldOut_Condition")
endforeach()
require("${bas}" "String$(ZOLT_EXPIRY_BUFFER_SIZE, vbNullChar)" "OstrelZOLTDLL.bas: ZoltIssuePin sizes its buffer")

string(REGEX REPLACE "[ \t\r\n]+" " " cs_flat "${cs}")
foreach(export "ZoltResult\", ExactSpelling = true, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi)] public static extern int ZoltResult(int vendor, int location, int basketSize, StringBuilder expiryText);"
               "check_SoldOut_Condition\", ExactSpelling = true, CallingConvention = CallingConvention.StdCall, CharSet = CharSet.Ansi)] public static extern int check_SoldOut_Condition(int vendor, int location, int basketSize);")
  require("${cs_flat}" "[DllImport(LibraryName, EntryPoint = \"${export}" "OstrelZOLTDLL.cs: ${export}")
endforeach()
require("${cs}" "new StringBuilder(ZOLT_EXPIRY_BUFFER_SIZE)" "OstrelZOLTDLL.cs: IssuePin sizes its buffer")
require("${cs}" "const string LibraryName = \"OstrelZOLTDLL\";" "OstrelZOLTDLL.cs: LibraryName")

string(REGEX REPLACE "[ \t\r\n]+" " " pas_flat "${pas}")
foreach(export "function ZoltResult(vendor, location, basketSize: Integer; expiryText: PAnsiChar): Integer; stdcall;"
               "function check_SoldOut_Condition(vendor, location, basketSize: Integer): Integer; stdcall;"
               "function ZoltResult; external 'OstrelZOLTDLL.dll' name 'ZoltResult';"
               "function check_SoldOut_Condition; external 'OstrelZOLTDLL.dll' name 'check_SoldOut_Condition';"
               "{$IFDEF FPC}{$MODE DELPHI}{$ENDIF}")
  require("${pas_flat}" "${export}" "OstrelZOLTDLL.pas: ${export}")
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "the declarations differ from ${HEADER}:\n  ${text}")
endif()
message(STATUS "the declarations agree with the header: ${count} constants, both functions")

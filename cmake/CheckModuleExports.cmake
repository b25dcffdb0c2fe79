# Checks the dynamic symbols of the loadable module: exactly its entry points,
# the data-service functions declared in Srv_Kmr00003.h, the data module class
# TrdmConfGrupo (its members), the instance reference rdmConfGrupo, the screen
# reference frmConfGrupo and the texts CorButton and CorFonte; nothing else.
#   cmake -DMODULE=libPkg_Kmr00003.so -DHEADER=Srv_Kmr00003.h -P CheckModuleExports.cmake
execute_process(COMMAND nm -D --defined-only -C ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
file(READ ${HEADER} header)
string(REGEX MATCHALL "int32_t [A-Za-z_0-9]+\\(" declared "${header}")
set(expected CriaTelaKmr00003 Cli_Kmr00003_CriaTelaKmr00003 rdmConfGrupo frmConfGrupo CorButton CorFonte
             TrdmConfGrupo::TrdmConfGrupo TrdmConfGrupo::~TrdmConfGrupo)
foreach(d IN LISTS declared)
  string(REGEX REPLACE "int32_t ([A-Za-z_0-9]+)\\(" "\\1" name "${d}")
  list(APPEND expected ${name})
endforeach()

string(REPLACE "\n" ";" lines "${symbols}")
set(exported)
set(unexpected)
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  # "ADDRESS TYPE NAME(ARGS)": the name without its arguments.
  string(REGEX REPLACE "^[0-9a-fA-F]+ [A-Za-z] " "" sym "${line}")
  string(REGEX REPLACE "\\(.*" "" name "${sym}")
  list(FIND expected "${name}" at)
  if(name MATCHES "^(__bss_start|_edata|_end|_init|_fini)$")
    continue() # the linker's own markers
  elseif(name MATCHES "^TrdmConfGrupo::[A-Za-z_0-9~]+$")
    list(APPEND exported ${name}) # a member of the exported class
  elseif(at LESS 0)
    list(APPEND unexpected "${sym}")
  else()
    list(APPEND exported ${name})
  endif()
endforeach()

set(missing)
foreach(name IN LISTS expected)
  list(FIND exported ${name} at)
  if(at LESS 0)
    list(APPEND missing ${name})
  endif()
endforeach()
list(LENGTH expected count)
if(unexpected OR missing)
  string(REPLACE ";" "\n  " unexpected "${unexpected}")
  message(FATAL_ERROR "module exports differ.\nunexpected:\n  ${unexpected}\nmissing: ${missing}")
endif()
message(STATUS "the module exports exactly its ${count} names (and the members of TrdmConfGrupo)")

# Compiler settings shared by every target of a configuration.
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX STRSAFE_NO_DEPRECATE)
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  # The deliverables carry their own runtime: a user needs no MinGW DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(ZKV_WINDOWS ON)
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  option(ZKV_SANITIZE "Build native code with AddressSanitizer and UBSan" ON)
  if(ZKV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  set(ZKV_WINDOWS OFF)
endif()

# A Windows module linked with a .def file: undecorated exports on i686 too.
function(zkv_module_def target deffile)
  target_sources(${target} PRIVATE ${deffile})
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  set_target_properties(${target} PROPERTIES PREFIX "")
endfunction()

# Layering helpers, shared by the main build and the fuzz build (tests/fuzz).
get_filename_component(PW_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Layering: a target sees the headers of its own folder and of the libraries it links, nothing
# else. Each folder's headers are published through a view of their own in the build tree
# (include/<view>/<folder>/*.h, links to the sources), so "player/x.h" still names a header
# but an include that climbs a layer the wrong way does not compile.
function(pw_header_view folder out)
  string(REPLACE "/" "_" view ${folder})
  set(dir ${CMAKE_BINARY_DIR}/include/${view})
  file(MAKE_DIRECTORY ${dir}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${PW_SOURCE_ROOT}/${folder}/*.h)
  foreach(h IN LISTS headers)
    get_filename_component(name ${h} NAME)
    file(CREATE_LINK ${h} ${dir}/${folder}/${name} SYMBOLIC)
  endforeach()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# pw_headers(target PUBLIC|PRIVATE folder...): the target uses (and with PUBLIC passes on to
# whoever links it) the headers of these folders.
function(pw_headers target scope)
  foreach(folder IN LISTS ARGN)
    pw_header_view(${folder} dir)
    target_include_directories(${target} ${scope} ${dir})
  endforeach()
endfunction()

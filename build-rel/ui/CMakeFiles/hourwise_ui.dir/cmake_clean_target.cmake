file(REMOVE_RECURSE
  "libhourwise_ui.a"
)

file(REMOVE_RECURSE
  "libhourwise_graph.a"
)

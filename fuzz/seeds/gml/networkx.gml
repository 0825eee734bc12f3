graph [
  directed 1
  multigraph 1
  name "demo"
  node [
    id 0
    label "New York"
  ]
  node [
    id 1
    label "Paris"
  ]
  edge [
    source 0
    target 1
    key 0
    weight 3
  ]
  edge [
    source 0
    target 1
    key 1
    weight 0.5
  ]
  edge [
    source 1
    target 1
  ]
]
